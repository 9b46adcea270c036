#include "ui/test_plan_page.h"

#include "acquire/acquisition.h"
#include "acquire/instrument_core.h"
#include "chart/degree_sign_font.h"
#include "protocol/display_texts.h"
#include "record/clock.h"
#include "ui/catalogue_text.h"
#include "ui/lazy_form.h"
#include "ui/pages_log.h"
#include "ui_TestPlanPage.h"
#include "usb/device_link.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QJsonObject>
#include <QSaveFile>
#include <QVBoxLayout>

namespace ui {

namespace {

using proto::Quantity;

// The readings shown while a plan runs, in their order on the page, as the display page
// writes them.
struct Reading
{
    Quantity quantity;
    QString DisplayTexts::*text;
};
const Reading kReadings[] = {
    {Quantity::Voltage, &DisplayTexts::voltage}, {Quantity::Current, &DisplayTexts::current},
    {Quantity::Power, &DisplayTexts::power},     {Quantity::Capacity, &DisplayTexts::capacity},
    {Quantity::Energy, &DisplayTexts::energy},   {Quantity::MosTemp, &DisplayTexts::mosTemp}};

enum Column
{
    NumberColumn,
    StepColumn,
    DurationColumn,
    ReasonColumn,
    CapacityColumn,
    EnergyColumn,
    ResistanceColumn,
    ColumnCount
};

// A plan file is a few lines of text; anything much larger is not one.
constexpr qint64 kLargestPlanFile = 256 * 1024;

const char *const kContext = "ui::TestPlanPage";
const char *const kFaultStyle = "color:#FF7070;";
const char *const kNoteStyle = "color:#DCDCDC;";
const char *const kCurrentRow = "#17606E";

QString hms(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QChar('0'))
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(seconds % 60, 2, 10, QChar('0'));
}

// "Name (unit)", as the results' headers and the readings' descriptions say it.
QString nameAndUnit(Quantity q, const char *unit)
{
    return QStringLiteral("%1 (%2)").arg(
        QCoreApplication::translate("Quantity", proto::terms(q).name), QString::fromUtf8(unit));
}

QString headerOf(Quantity q)
{
    return nameAndUnit(q, proto::baseUnit(q));
}

const char *outcomeText(acquire::PlanRunner::Outcome outcome)
{
    switch (outcome) {
    case acquire::PlanRunner::Outcome::Completed:
        return QT_TRANSLATE_NOOP("ui::TestPlanPage", "计划完成：全部步骤已运行");
    case acquire::PlanRunner::Outcome::Limit:
        return QT_TRANSLATE_NOOP("ui::TestPlanPage", "计划结束：达到停止条件");
    case acquire::PlanRunner::Outcome::Stopped:
        return QT_TRANSLATE_NOOP("ui::TestPlanPage", "计划已停止");
    case acquire::PlanRunner::Outcome::Fault:
        break;
    }
    return QT_TRANSLATE_NOOP("ui::TestPlanPage", "计划中断");
}

} // namespace

TestPlanPage::TestPlanPage(QWidget *parent)
    : QWidget(parent), m_message(nullptr), m_outcome(nullptr)
{
}

TestPlanPage::~TestPlanPage() = default;

void TestPlanPage::attach(acquire::InstrumentCore &core)
{
    m_core = &core;
    acquire::PlanRunner &runner = core.plans();
    connect(&runner, &acquire::PlanRunner::stepStarted, this, &TestPlanPage::stepStarted);
    connect(&runner, &acquire::PlanRunner::stepEnded, this, &TestPlanPage::stepEnded);
    connect(&runner, &acquire::PlanRunner::finished, this, &TestPlanPage::planFinished);
    connect(&core.acquisition(), &acquire::Acquisition::stepped, this, [this] {
        if (m_ui && isVisible())
            showReadings();
    });
}

Ui::TestPlanPage &TestPlanPage::form()
{
    if (m_ui)
        return *m_ui;
    m_ui = std::make_unique<Ui::TestPlanPage>();
    m_ui->setupUi(this);
    m_message.setLabel(m_ui->plan_label_message);
    m_outcome.setLabel(m_ui->plan_label_outcome);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(11);
    m_ui->plan_text->setFont(mono);
    QPalette palette = m_ui->plan_text->palette();
    palette.setColor(QPalette::PlaceholderText, QColor("#8A8A8A"));
    m_ui->plan_text->setPalette(palette);
    m_ui->plan_tree_steps->setColumnCount(ColumnCount);
    buildReadings();
    setHeaders();
    connect(m_ui->plan_btnReturn, &QAbstractButton::clicked, this, &TestPlanPage::returnRequested);
    connect(m_ui->plan_text, &QPlainTextEdit::textChanged, this, &TestPlanPage::textEdited);
    connect(m_ui->plan_btn_open, &QAbstractButton::clicked, this, &TestPlanPage::openFile);
    connect(m_ui->plan_btn_save, &QAbstractButton::clicked, this, &TestPlanPage::saveFile);
    connect(m_ui->plan_btn_start, &QAbstractButton::clicked, this, &TestPlanPage::startPlan);
    connect(m_ui->plan_btn_skip, &QAbstractButton::clicked, this,
            [this] { m_core->plans().skipStep(); });
    connect(m_ui->plan_btn_stop, &QAbstractButton::clicked, this, [this] {
        m_core->plans().stop(acquire::PlanRunner::Outcome::Stopped,
                             QStringLiteral("stopped by the user"));
    });
    showRunning(m_core && m_core->plans().running());
    showBuiltForm(this);
    return *m_ui;
}

QAbstractButton *TestPlanPage::returnButton()
{
    return form().plan_btnReturn;
}

void TestPlanPage::showEvent(QShowEvent *event)
{
    form();
    showReadings();
    QWidget::showEvent(event);
}

// One box per reading, in the look of the display page's values: its name above, the value and
// its unit below. A value reads as itself, described by its quantity and unit.
void TestPlanPage::buildReadings()
{
    auto box = [this](QLabel **value, QLabel **unit) {
        auto *frame = new QWidget(m_ui->plan_group_readings);
        frame->setObjectName("plan_reading_box");
        frame->setStyleSheet("QWidget#plan_reading_box{background-color:rgb(16,100,113);"
                             "border-radius:8px;}");
        auto *layout = new QVBoxLayout(frame);
        layout->setContentsMargins(8, 4, 8, 4);
        layout->setSpacing(0);
        auto *caption = new QLabel(frame);
        caption->setStyleSheet("color:rgb(255,235,0);background:transparent;");
        auto *row = new QHBoxLayout;
        *value = new QLabel(QStringLiteral("--"), frame);
        QFont big = (*value)->font();
        big.setPointSize(16);
        (*value)->setFont(big);
        (*value)->setStyleSheet("color:rgb(235,235,0);background:transparent;");
        (*value)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row->addWidget(*value, 1);
        if (unit) {
            *unit = new QLabel(frame);
            (*unit)->setFont(withDegreeSign((*unit)->font()));
            (*unit)->setStyleSheet("color:#DCDCDC;background:transparent;padding-left:3px;");
            row->addWidget(*unit);
        }
        layout->addWidget(caption);
        layout->addLayout(row);
        m_ui->plan_readings_layout->addWidget(frame);
        return caption;
    };
    for (const Reading &reading : kReadings) {
        const Quantity q = reading.quantity;
        QLabel *value = nullptr, *unit = nullptr;
        QLabel *caption = box(&value, &unit);
        setCatalogueText(caption, "Quantity", proto::terms(q).name);
        value->setObjectName(QStringLiteral("plan_value_") + proto::terms(q).key);
        unit->setObjectName(QStringLiteral("plan_unit_") + proto::terms(q).key);
        m_values.append(value);
        m_units.append(unit);
    }
    setCatalogueText(box(&m_stepValue, nullptr), kContext,
                     QT_TRANSLATE_NOOP("ui::TestPlanPage", "当前步骤"));
    m_stepValue->setObjectName("plan_value_step");
    setCatalogueText(box(&m_timeValue, nullptr), kContext,
                     QT_TRANSLATE_NOOP("ui::TestPlanPage", "本步用时"));
    m_timeValue->setObjectName("plan_value_step_time");
}

void TestPlanPage::setHeaders()
{
    m_ui->plan_tree_steps->setHeaderLabels(
        {QStringLiteral("#"), tr("步骤"), tr("用时"), tr("结束原因"), headerOf(Quantity::Capacity),
         headerOf(Quantity::Energy),
         QStringLiteral("%1 (m%2)").arg(tr("内阻"), proto::baseUnit(Quantity::Resistance))});
    QHeaderView *header = m_ui->plan_tree_steps->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(StepColumn, QHeaderView::Stretch);
}

void TestPlanPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange && m_ui)
        retranslate();
    QWidget::changeEvent(event);
}

void TestPlanPage::retranslate()
{
    m_ui->retranslateUi(this);
    showCatalogueTexts(this);
    setHeaders();
    m_message.retranslate();
    m_outcome.retranslate();
    if (!m_path.isEmpty())
        m_ui->plan_label_file->setText(QFileInfo(m_path).fileName());
    showReadings();
}

void TestPlanPage::showMessage(bool fault, std::function<QString()> say)
{
    m_ui->plan_label_message->setStyleSheet(fault ? kFaultStyle : kNoteStyle);
    m_message.show(std::move(say));
}

// The plan is checked as it is typed: its steps are listed, or the line at fault is named.
void TestPlanPage::textEdited()
{
    const QString text = m_ui->plan_text->toPlainText();
    QString error;
    m_plan = plan::Plan();
    m_planValid = !text.trimmed().isEmpty() && plan::parsePlan(text, &m_plan, &error);
    listSteps();
    if (text.trimmed().isEmpty())
        showMessage(false, [] { return QString(); });
    else if (!m_planValid)
        showMessage(true, [error] { return tr("计划有误：%1").arg(error); });
    else
        showMessage(false, [n = m_plan.steps.size(), limits = m_plan.stopWhen.size()] {
            return limits ? tr("共 %1 步，另有 %2 个全程停止条件").arg(n).arg(limits)
                          : tr("共 %1 步").arg(n);
        });
}

void TestPlanPage::listSteps()
{
    QTreeWidget *tree = m_ui->plan_tree_steps;
    tree->clear();
    m_marked = -1;
    for (int i = 0; i < m_plan.steps.size(); ++i) {
        auto *item = new QTreeWidgetItem(tree);
        item->setText(NumberColumn, QString::number(i + 1));
        item->setText(StepColumn, m_plan.steps[i].text);
        item->setToolTip(StepColumn, m_plan.steps[i].text);
        for (int c : {DurationColumn, CapacityColumn, EnergyColumn, ResistanceColumn})
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
}

void TestPlanPage::openFile()
{
    const QString path = QFileDialog::getOpenFileName(this, tr("打开测试计划"), m_path,
                                                      tr("测试计划 (*.txt *.plan);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (file.size() > kLargestPlanFile) {
        showMessage(true, [path] { return tr("%1 太大，不是测试计划。").arg(path); });
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        showMessage(true, [path, why = file.errorString()] {
            return tr("无法打开 %1：%2").arg(path, why);
        });
        return;
    }
    m_path = path;
    m_ui->plan_label_file->setText(QFileInfo(path).fileName());
    m_ui->plan_text->setPlainText(QString::fromUtf8(file.readAll()));
}

void TestPlanPage::saveFile()
{
    const QString path = QFileDialog::getSaveFileName(
        this, tr("保存测试计划"), m_path.isEmpty() ? QStringLiteral("plan.txt") : m_path,
        tr("测试计划 (*.txt *.plan);;所有文件 (*)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(m_ui->plan_text->toPlainText().toUtf8()) < 0 || !file.commit()) {
        showMessage(true, [path, why = file.errorString()] {
            return tr("无法保存 %1：%2").arg(path, why);
        });
        return;
    }
    m_path = path;
    m_ui->plan_label_file->setText(QFileInfo(path).fileName());
    showMessage(false, [path] { return tr("已保存到 %1").arg(path); });
}

// A plan with a fault is refused here, naming its line, before anything is sent.
void TestPlanPage::startPlan()
{
    textEdited();
    if (!m_planValid) {
        if (m_ui->plan_text->toPlainText().trimmed().isEmpty())
            showMessage(true, [] { return tr("请先打开或写一个测试计划。"); });
        return;
    }
    QString refusal;
    m_outcome.show([] { return QString(); });
    if (!m_core->plans().start(m_plan, &refusal)) {
        showMessage(true, [refusal] { return tr("无法开始：%1").arg(refusal); });
        return;
    }
    qCInfo(lcUi) << "test plan started from the window";
    showRunning(true);
}

// While a plan runs its text stays as it was started, and the page stays: the home tiles choose
// work modes, which would switch the plan's load off under it.
void TestPlanPage::showRunning(bool running)
{
    m_ui->plan_text->setReadOnly(running);
    m_ui->plan_btn_open->setEnabled(!running);
    m_ui->plan_btn_start->setEnabled(!running);
    m_ui->plan_btn_skip->setEnabled(running);
    m_ui->plan_btn_stop->setEnabled(running);
    m_ui->plan_btnReturn->setEnabled(!running);
}

void TestPlanPage::markCurrent(int index)
{
    QTreeWidget *tree = m_ui->plan_tree_steps;
    if (QTreeWidgetItem *old = tree->topLevelItem(m_marked)) {
        old->setText(NumberColumn, QString::number(m_marked + 1));
        for (int c = 0; c < ColumnCount; ++c) {
            old->setBackground(c, QBrush());
            old->setFont(c, tree->font());
        }
    }
    m_marked = index;
    QTreeWidgetItem *item = tree->topLevelItem(index);
    if (!item)
        return;
    item->setText(NumberColumn, QStringLiteral("▶ %1").arg(index + 1));
    QFont bold = tree->font();
    bold.setBold(true);
    for (int c = 0; c < ColumnCount; ++c) {
        item->setBackground(c, QColor(kCurrentRow));
        item->setFont(c, bold);
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
}

void TestPlanPage::stepStarted(int index)
{
    form();
    m_stepStartMs = Clock::steadyMs();
    markCurrent(index);
    showReadings();
}

void TestPlanPage::stepEnded(const QJsonObject &result)
{
    QTreeWidgetItem *item = form().plan_tree_steps->topLevelItem(result.value("step").toInt() - 1);
    if (!item)
        return;
    const QDateTime start =
        QDateTime::fromString(result.value("start").toString(), Qt::ISODateWithMs);
    const QDateTime end = QDateTime::fromString(result.value("end").toString(), Qt::ISODateWithMs);
    item->setText(DurationColumn, hms(qMax<qint64>(0, start.secsTo(end))));
    item->setText(ReasonColumn, result.value("reason").toString());
    item->setToolTip(ReasonColumn, result.value("reason").toString());
    item->setText(CapacityColumn, QString::number(result.value("capacity_mAh").toDouble(), 'f',
                                                  proto::fileDecimals(Quantity::Capacity)));
    item->setText(EnergyColumn, QString::number(result.value("energy_Wh").toDouble(), 'f',
                                                proto::fileDecimals(Quantity::Energy)));
    if (result.contains("resistance_mOhm"))
        item->setText(ResistanceColumn,
                      QString::number(result.value("resistance_mOhm").toDouble(), 'f', 1));
}

void TestPlanPage::planFinished(const QJsonObject &result, acquire::PlanRunner::Outcome outcome)
{
    form();
    markCurrent(-1);
    showRunning(false);
    m_outcome.show([outcome, why = result.value("reason").toString(),
                    path = result.value("results_file").toString()] {
        const QString end = tr(outcomeText(outcome)) + QStringLiteral(" (%1)").arg(why);
        return path.isEmpty() ? end + QChar('\n') + tr("结果文件未能写入。")
                              : end + QChar('\n') + tr("结果文件：%1").arg(path);
    });
    showReadings();
}

void TestPlanPage::showReadings()
{
    if (!m_ui || !m_core)
        return;
    const DeviceLink &link = m_core->link();
    const quint8 family = link.familyCode();
    const bool known = proto::knownFamily(family);
    const DisplayTexts texts = displayTexts(link.live(), family);
    for (int i = 0; i < m_values.size(); ++i) {
        const Quantity q = kReadings[i].quantity;
        const char *unit = known ? proto::unitOf(q, family) : proto::baseUnit(q);
        const bool shown = known && proto::reports(q, family);
        m_values[i]->setText(shown ? texts.*kReadings[i].text : QStringLiteral("--"));
        m_values[i]->setAccessibleDescription(nameAndUnit(q, unit));
        m_units[i]->setText(QString::fromUtf8(unit));
    }
    const bool running = m_core->plans().running() && m_marked >= 0;
    m_stepValue->setText(running ? QStringLiteral("%1 / %2")
                                       .arg(m_marked + 1)
                                       .arg(m_ui->plan_tree_steps->topLevelItemCount())
                                 : QStringLiteral("--"));
    m_timeValue->setText(running ? hms((Clock::steadyMs() - m_stepStartMs) / 1000)
                                 : QStringLiteral("--"));
}

} // namespace ui
