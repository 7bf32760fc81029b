#pragma once

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QUrl>

#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QToolBar;
class QToolButton;
class MarqueePane;
class ClockPane;
struct StartupSettings;

// The main window: a multiple-document frame with the menu, the toolbar, the background
// picture, the two large captions and the status bar. Every business screen opens inside it
// through OpenOrActivate, so a screen is never open twice under one caption.
class TMAIN : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMAIN(QWidget* parent = nullptr);
    ~TMAIN() override;

    // Connects DM1 to the program home's database; on failure shows the error box and
    // returns false, and the program must end.
    bool connectDatabase();
    // Shop name, slogan, background and the reminder flags read once at start.
    void applyStartupSettings(const StartupSettings& settings);
    // The status pane and exactly the menu entries and buttons the operator's permissions allow.
    void applyLogin(const QString& operatorId, const QSet<QString>& permissions);

    // Shop name in the window caption and the large caption (start-up and the settings screen).
    void setShopName(const QString& shopName);
    // Loads the background picture; a missing or unreadable file leaves no picture, silently.
    void setBackgroundPicture(const QString& path);

    // The buttons in a child window's title bar: minimise, maximise and close, or (the
    // transaction and history screens) minimise and close only.
    enum class Frame { Full, MinimiseAndClose };

    // Brings back the child window with exactly this caption (restored, enabled, shown,
    // focused) and returns true; false when none is open.
    bool OpenOrActivate(const QString& caption);
    // Places a new screen as a child window under the caption at the given position; the
    // window is destroyed when it closes.
    QMdiSubWindow* addChild(QWidget* screen, const QString& caption, QPoint position, Frame frame = Frame::Full);
    // Open-or-activate with a factory: the usual way a menu entry opens its screen.
    QMdiSubWindow* openChild(const QString& caption, QPoint position, const std::function<QWidget*()>& create,
                             Frame frame = Frame::Full);

    // A child screen known by its caption, opened by its menu entry (when given) and by other
    // screens through Screens::open.
    void registerScreen(const QString& entryCaption, const QString& caption, QPoint position,
                        std::function<QWidget*()> create, Frame frame = Frame::Full);
    // Open-or-activate of a registered screen; false when none has that caption.
    bool openScreen(const QString& caption);

    // What a menu entry does, set by the screens' wiring; entries without a handler do nothing.
    void setEntryHandler(const QString& entryCaption, std::function<void()> handler);
    // Performs a menu entry's click; nothing happens while the entry is disabled.
    void clickEntry(const QString& entryCaption);

    QAction* menuEntry(const QString& caption) const;
    QToolButton* toolbarButton(const QString& caption) const;
    QList<QAction*> menuEntries() const;
    QList<QToolButton*> toolbarButtons() const;
    QMdiArea* mdiArea() const { return m_mdi; }
    QLabel* label1() const { return m_label1; }
    QLabel* label2() const { return m_label2; }
    QLabel* image1() const { return m_image1; }
    QLabel* statusPane() const { return m_statusPane; }
    MarqueePane* marquee() const { return m_marquee; }
    ClockPane* clockPane() const { return m_clock; }
    QTimer* timer1() { return &m_timer1; }
    QTimer* timer2() { return &m_timer2; }
    bool remindBirthday() const { return m_remindBirthday; }
    bool remindInsurance() const { return m_remindInsurance; }
    // The file name the backup's save dialog proposes: today's date.
    const QString& backupProposedName() const { return m_backupName; }

    // How the help file is opened; tests replace the desktop's handler.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    void openHelp();
    void showAbout();

    // Re-centres the two large captions for the window's current size.
    void centreCaptions();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void buildToolbar();
    void buildStatusBar();
    void buildCaptions();
    void reminderTimerFired(QTimer* timer, const QString& entry);

    QMdiArea* m_mdi = nullptr;
    QLabel* m_image1 = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_statusPane = nullptr;
    MarqueePane* m_marquee = nullptr;
    ClockPane* m_clock = nullptr;
    QHash<QString, QAction*> m_entries;
    QList<QAction*> m_entryOrder;
    QHash<QString, QToolButton*> m_buttons;
    QList<QToolButton*> m_buttonOrder;
    QHash<QString, std::function<void()>> m_handlers;
    struct ScreenEntry
    {
        QPoint position;
        std::function<QWidget*()> create;
        Frame frame;
    };
    QHash<QString, ScreenEntry> m_screens;
    QTimer m_timer1;
    QTimer m_timer2;
    bool m_remindBirthday = true;
    bool m_remindInsurance = true;
    bool m_shownOnce = false;
    QString m_backupName;
    std::function<bool(const QUrl&)> m_openUrl;
};

// The main window of the run, set while a TMAIN exists.
extern TMAIN* MAIN;

namespace Product {
inline const QString Title = QStringLiteral("Quorvane");
inline const QString Version = QStringLiteral("V4.68");
inline const QString VersionLine = QStringLiteral("程序版本：4.68");
} // namespace Product
