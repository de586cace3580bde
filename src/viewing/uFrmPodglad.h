#pragma once
// TFrmPodglad: the modal preview window of one printout. Once on screen it loads the printout
// through TWydruk and collects the pages into its viewer while they are composed, showing
// "Wczytywanie pliku..." and "Tworzenie stron... 45%" in the hint bar; "Zamknij" or closing the
// window stops the composition. The user pages (counter and repeating buttons), zooms, sets the
// margins and finds text (Ctrl+F). The window keeps the program's remembered settings: its
// placement, the margins and the print settings, under the user's key "\SOFTWARE\VekPokaz".
//
// Pages: the viewer holds the pages the composer hands out, shared and never copied; they go
// when the window and whoever else holds them (a print run) let go of them.

#include "kit/bajery.h"
#include "platform/Page.h"

#include <QDialog>
#include <QElapsedTimer>
#include <functional>

class QLabel;
class QSpinBox;
class QTimer;

namespace vek {

class TEmfViewer;
class TFindStrip;
class THintBar;
class TPageFinder;
class TRegistry;
class TVekBtn;
class TWydruk;

// The file of the printout named name in folder: the first file, in name order, whose name is
// name + ".wyd" in any letter case; name + ".WYD" when there is none.
QString PrintoutFileIn(const QString& folder, const QString& name);

class TFrmPodglad : public QDialog {
    Q_OBJECT
public:
    explicit TFrmPodglad(QWidget* parent = nullptr);
    ~TFrmPodglad() override;

    // Called by the creator before the window is shown.
    void SetPrintoutFile(const QString& path);
    void SetPrintoutName(const QString& name); // a printout of the program folder
    void DisableSettingsSave();

    const QString& FilePath() const { return m_filePath; }
    const QString& DisplayName() const { return m_displayName; }
    bool Stopped() const { return m_stop; }
    bool SettingsSaveDisabled() const { return m_noSave; }
    // True while the printout is being loaded and composed.
    bool Building() const { return m_building; }

    // The settings under "\SOFTWARE\VekPokaz": loaded when the window is created, saved when it
    // closes (unless disabled).
    void LoadSettings();
    void SaveSettings();
    // The desktop area not covered by panels, of the screen the window is on.
    virtual QRect WorkArea() const;

    // The print dialog, shown on "Drukuj" with the window itself as its page source (the viewer's
    // pages, current page and margins). While none is set, "Drukuj" stays hidden.
    static std::function<void(TFrmPodglad& preview)> PrintDialog;

    // Controls.
    THintBar* hb = nullptr;
    TPanelEx* pGora = nullptr;
    TPanelEx* pMarginesy = nullptr;
    QLabel* lblMarg = nullptr;
    QLabel* lblMargT = nullptr;
    QLabel* lblMargL = nullptr;
    QLabel* lblMargR = nullptr;
    QLabel* lblMargB = nullptr;
    QSpinBox* margT = nullptr;
    QSpinBox* margL = nullptr;
    QSpinBox* margR = nullptr;
    QSpinBox* margB = nullptr;
    TPanelEx* pStrony = nullptr;
    QLabel* lblStrona1 = nullptr;
    QLabel* lblStrona = nullptr;
    TVekBtn* btnStronaUp = nullptr;
    TVekBtn* btnStronaDn = nullptr;
    TPanelEx* pViewer = nullptr;
    TEmfViewer* viewer = nullptr;
    TFindStrip* findStrip = nullptr;
    TPageFinder* finder = nullptr;
    QTimer* timerStrona = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void done(int result) override;

private:
    // Building the window (uFrmPodglad.cpp).
    void buildControls();
    void buildTopStrip();
    void buildMargins();
    void buildPageCounter();
    void placeAtWorkArea();
    void fitFrameOnce();
    void fitMinimumSize();
    void fitToScreen();
    // Loading (uFrmPodgladLoad.cpp).
    void previewLoad();
    void LoadAndBuild();
    bool loadFile(TWydruk& wydruk);
    void showVersionMessage();
    void wydrukNextPage(const PagePtr& page);
    void wydrukProgress(TWydruk& sender, int postep);
    // Handlers.
    void hbAccept(QObject* sender);
    void hbCancel(QObject* sender);
    void hbHelp(QObject* sender);
    void margChange();
    void lblMargClick();
    void btnStronaMouseDown(QObject* sender);
    void btnStronaMouseUp();
    void timerStronaTimer();
    void viewerChange();
    void fitPageCounter();
    void viewerMove();
    bool FormKeyDown(QKeyEvent* e);
    bool findKey(QKeyEvent* e);
    void applyNarrowRule();
    // Settings (uFrmPodgladSettings.cpp).
    void loadBounds(TRegistry& reg);

    QString m_filePath;
    QString m_displayName;
    bool m_stop = false;
    bool m_noSave = false;
    bool m_building = false;
    bool m_loadPosted = false;
    bool m_closing = false;
    bool m_frameFitted = false;
    bool m_screenWatched = false;
    int m_step = 0;            // the page buttons' direction: -1 up, +1 down
    QElapsedTimer m_pumpClock; // since the composition last let the window answer
    static constexpr int kPumpEveryMs = 8;
};

} // namespace vek
