#pragma once
// Which page of the main dialog's stack shows, with its title and glyphs: the two home grids and
// their tiles, the return buttons, the settings and upgrade pages, and the family's home page
// once a model is identified. Pages are known by their home::Page identity and tiles by their
// place in their grid, never by a translated text.

#include "app/home_tiles.h"
#include "usb/instrument_commands.h"
#include "protocol/vocabulary.h"

#include <QHash>
#include <QObject>
#include <QVector>

#include <functional>
#include <optional>

class DeviceLink;
class FirmwarePage;
class QAbstractButton;
class QToolButton;
struct DisplayTexts;
namespace Ui {
class MainDialog;
}
namespace ui {
class DisplayPage;
}

namespace app {

class PageNavigator : public QObject
{
    Q_OBJECT
public:
    // `form` is the main dialog's, set up; all outlive the navigator.
    PageNavigator(Ui::MainDialog &form, ui::DisplayPage &display, FirmwarePage &firmware,
                  DeviceLink &link, QObject *parent = nullptr);

    home::Page currentPage() const;
    // The settings page of the instrument's family, from its home tile or the display page's
    // shortcut: the page, its title (a catalogue source) and return glyph, and the instrument told
    // and asked.
    void openSettingsPage(const char *title);
    void openUpgradePage();
    // A model was identified: the start page gives way to the family's home page, and so do
    // the pages of the other family when an instrument of this one is chosen.
    void leaveStartPage();
    // The title of the six page follows the instrument's work mode.
    void showModeTitle(const DisplayTexts &texts);
    // Tile texts and glyphs in the language now in use.
    void retranslate();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A return button: which home it goes to, and whether it keeps the window title.
    enum class Return
    {
        FamilyHome,
        FamilyHomeKeepingMeterTitle,
        TesterHome,
        MeterSettings
    };
    struct Home
    {
        home::Page page;
        const char *title;
    };
    // The one place a family chooses its home page and title.
    static std::optional<Home> homeOf(quint8 familyCode);

    void buildGrid(const QString &prefix, home::TileTable table, QVector<QToolButton *> &buttons);
    static void paintTiles(home::TileTable table, const QVector<QToolButton *> &buttons);
    void retextGrids();
    void tileClicked(QToolButton *button);
    void returnClicked(Return rule);
    void goHome(const Home &home, bool keepTitle);
    void applyReturnGlyph(QAbstractButton *button);
    void applyHomeGlyph();
    void applyAllGlyphs();

    Ui::MainDialog &m_form;
    ui::DisplayPage &m_display;
    FirmwarePage &m_firmware;
    DeviceLink &m_link;
    usb::InstrumentCommands m_commands;
    QVector<QToolButton *> m_homeButtons;
    QVector<QToolButton *> m_nv05Buttons;
    QHash<QObject *, std::function<void()>> m_onFirstShow; // by page
    quint8 m_pagesFamily = proto::NoFamily;                // whose pages the stack shows
};

} // namespace app
