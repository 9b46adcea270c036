#include "ui/battery_test_popup.h"

#include "ui/caption_fit.h"
#include "ui_BatteryTestPopup.h"

#include <QEvent>

namespace {
const char *const kGreen = "rgb(27, 209, 158)";
const char *const kViolet = "rgb(220, 78, 255)";

QString highlightStyle(bool highlighted)
{
    return popupButtonStyle(highlighted ? kViolet : kGreen, kViolet);
}
} // namespace

QString popupButtonStyle(const char *text, const char *hoverText)
{
    return QStringLiteral("QPushButton{background-color: rgb(62, 62, 62);border-radius: 5px;"
                          "color: %1;border:2px groove gray;border-radius:6px;padding:2px 4px;"
                          "border-style: outset;}\n"
                          "QPushButton:hover{background-color: rgb(62, 62, 62);color: %2;"
                          "border:2px groove green;}\n"
                          "QPushButton:pressed{background-color: rgb(0, 255, 0);"
                          "border-style: inset;}")
        .arg(QLatin1String(text), QLatin1String(hoverText));
}

BatteryTestPopup::BatteryTestPopup(QWidget *parent) : QWidget(parent), ui(new Ui::BatteryTestPopup)
{
    ui->setupUi(this);
    setWindowTitle(tr("Tips"));
}

BatteryTestPopup::~BatteryTestPopup()
{
    delete ui;
}

void BatteryTestPopup::setPopupType(int type)
{
    // Btn3 keeps its left, right and bottom edges; only its top moves.
    QRect btn3 = ui->Btn3->geometry();
    if (type == 2) {
        ui->Btn2->hide();
        btn3.setTop(188);
    } else if (type == 3) {
        ui->Btn2->show();
        btn3.setTop(210);
    } else {
        return;
    }
    ui->Btn3->setGeometry(btn3);
}

void BatteryTestPopup::setChoiceHighlight(int type, int choice)
{
    if (type == 2 && (choice == 1 || choice == 2)) {
        ui->Btn1->setStyleSheet(highlightStyle(choice == 1));
        ui->Btn3->setStyleSheet(highlightStyle(choice == 2));
    } else if (type == 3 && choice >= 1 && choice <= 3) {
        ui->Btn1->setStyleSheet(highlightStyle(choice == 1));
        ui->Btn2->setStyleSheet(highlightStyle(choice == 2));
        ui->Btn3->setStyleSheet(highlightStyle(choice == 3));
    }
}

void BatteryTestPopup::setCountdown(int seconds)
{
    m_countdown = seconds;
    showCountdown();
}

void BatteryTestPopup::showCountdown()
{
    if (m_countdown >= 0)
        ui->lab_count->setText(QString::number(m_countdown));
}

void BatteryTestPopup::on_Btn1_clicked()
{
    emit answered(1);
}

void BatteryTestPopup::on_Btn2_clicked()
{
    emit answered(2);
}

void BatteryTestPopup::on_Btn3_clicked()
{
    // In the two-answer layout this button stands for the second answer.
    emit answered(ui->Btn2->isHidden() ? 2 : 3);
}

void BatteryTestPopup::on_Btnok_clicked()
{
    emit answered(5);
}

// The question is fitted to its box when it is about to be seen, in the language then in use:
// trying font stretches costs a font match each, which start-up need not wait for.
void BatteryTestPopup::showEvent(QShowEvent *event)
{
    if (!m_tipsFitted) {
        fitRichLabel(ui->lab_Tips);
        m_tipsFitted = true;
    }
    QWidget::showEvent(event);
}

void BatteryTestPopup::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        m_tipsFitted = false;
        if (isVisible()) {
            fitRichLabel(ui->lab_Tips);
            m_tipsFitted = true;
        }
        showCountdown(); // the instrument's number, not the form's
        setWindowTitle(tr("Tips"));
    }
    QWidget::changeEvent(event);
}
