// Prints the median cost of one translation lookup, in both interface languages: with the
// program's InterfaceLanguage installed, and with the same catalogues as bare QTranslators.
// Never fails on timing; compare the ratio, the machine is shared.

#include "app/interface_language.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
// Texts the program looks up at run time: tiles, run button, status line, a miss.
const char *const kLookups[][2] = {
    {"MainDialog", "恒电流模式"},   {"MainDialog", "开始放电"},       {"MainDialog", "停止放电"},
    {"MainDialog", "测试仪主界面"}, {"MainDialog", "数据文件夹: %1"}, {"FirmwarePage", "固件升级"},
    {"DeviceInfoUI", "连接"},       {"MainDialog", "no such text"},
};
constexpr int kRounds = 9; // the two set-ups take turns, so that a busy moment hits both
constexpr int kBatchesPerRound = 5;
constexpr int kPerBatch = 20000;

// Adds the cost per lookup of each of a round's batches to `perLookup`.
void measure(std::vector<double> &perLookup)
{
    int sink = 0;
    for (int b = 0; b < kBatchesPerRound; ++b) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kPerBatch; ++i) {
            const auto &text = kLookups[i % std::size(kLookups)];
            sink += QCoreApplication::translate(text[0], text[1]).size();
        }
        perLookup.push_back(double(timer.nsecsElapsed()) / kPerBatch);
    }
    if (sink == 42)
        std::puts("");
}

double median(std::vector<double> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The reference: the catalogues the language uses, installed as they are.
std::vector<std::unique_ptr<QTranslator>> bareCatalogues(InterfaceLanguage::Language language)
{
    std::vector<std::unique_ptr<QTranslator>> installed;
    auto catalogue = std::make_unique<QTranslator>();
    if (language == InterfaceLanguage::English) {
        if (!catalogue->load(QStringLiteral(":/Language/lib_en.qm")))
            std::fprintf(stderr, "lib_en.qm not loaded\n");
    } else if (!catalogue->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                                QStringLiteral("_"),
                                QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        std::fprintf(stderr, "Qt's Chinese catalogue not found\n");
    }
    QCoreApplication::installTranslator(catalogue.get());
    installed.push_back(std::move(catalogue));
    return installed;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::pair<InterfaceLanguage::Language, const char *> languages[] = {
        {InterfaceLanguage::Chinese, "Chinese"}, {InterfaceLanguage::English, "English"}};
    std::printf("ns per tr(), median of %d batches of %d\n", kRounds * kBatchesPerRound, kPerBatch);
    for (const auto &[language, name] : languages) {
        std::vector<double> program, bare;
        for (int round = 0; round < kRounds; ++round) {
            {
                InterfaceLanguage installed(language);
                measure(program);
            }
            const auto installed = bareCatalogues(language);
            measure(bare);
        }
        const double p = median(program), b = median(bare);
        std::printf("%-8s interface language %7.1f ns   bare QTranslator %7.1f ns   ratio %.2f\n",
                    name, p, b, p / b);
    }
    return 0;
}
