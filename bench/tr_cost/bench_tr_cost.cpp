// Prints the median cost of one translation lookup, in both interface languages: with the
// program's InterfaceLanguage installed, and with the same catalogues as bare QTranslators.
// Never fails on timing; compare the ratio, the machine is shared.

#include "interface_language.h"

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
    {"MainDialog", "恒电流模式"},    {"MainDialog", "开始放电"},
    {"MainDialog", "停止放电"},      {"MainDialog", "测试仪主界面"},
    {"MainDialog", "数据文件夹: %1"}, {"FirmwarePage", "固件升级"},
    {"DeviceInfoUI", "连接"},        {"MainDialog", "no such text"},
};
constexpr int kBatches = 31;
constexpr int kPerBatch = 20000;

double medianNanosPerLookup()
{
    std::vector<double> perLookup;
    int sink = 0;
    for (int b = 0; b < kBatches; ++b) {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < kPerBatch; ++i) {
            const auto &text = kLookups[i % std::size(kLookups)];
            sink += QCoreApplication::translate(text[0], text[1]).size();
        }
        perLookup.push_back(double(timer.nsecsElapsed()) / kPerBatch);
    }
    std::nth_element(perLookup.begin(), perLookup.begin() + kBatches / 2, perLookup.end());
    if (sink == 42)
        std::puts("");
    return perLookup[kBatches / 2];
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
    std::printf("ns per tr(), median of %d batches of %d\n", kBatches, kPerBatch);
    for (const auto &[language, name] : languages) {
        double program = 0;
        {
            InterfaceLanguage installed(language);
            program = medianNanosPerLookup();
        }
        double bare = 0;
        {
            const auto installed = bareCatalogues(language);
            bare = medianNanosPerLookup();
        }
        std::printf("%-8s interface language %7.1f ns   bare QTranslator %7.1f ns   ratio %.2f\n",
                    name, program, bare, program / bare);
    }
    return 0;
}
