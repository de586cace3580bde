// TFrmPodglad: the remembered settings under the user's key "\SOFTWARE\VekPokaz".
//
// Values (Booleans as the integers 0 and 1):
//   FrmPodglad_Width, FrmPodglad_Height, FrmPodglad_Top, FrmPodglad_Left   window bounds
//   FrmPodglad_Max                                                         maximized
//   Margin_Top, Margin_Left, Margin_Right, Margin_Bottom                   margins, millimetres
//   PrintDlg_NazwaDruk (text), PrintDlg_Tryb, PrintDlg_Odwrotnie, PrintDlg_Odwrotnie2,
//   PrintDlg_Dwustronnie, PrintDlg_Kolor, PrintDlg_Kopie, PrintDlg_NoAbort, PrintDlg_NoEMF
// Loading reads the values in groups: a value that is missing or unreadable ends its group, and
// the groups after it are still read.
#include "platform/Settings.h"
#include "viewing/EmfViewer.h"
#include "viewing/PrintSettings.h"
#include "viewing/uFrmPodglad.h"

#include <QSpinBox>

using namespace Qt::StringLiterals;

namespace vek {

namespace {

const QString kKey = u"\\SOFTWARE\\VekPokaz"_s;

// Runs one group of reads; a value that cannot be read ends the group quietly.
template <typename Read> void group(Read read) {
    try {
        read();
    } catch (const ERegistryException&) {
    }
}

} // namespace

void TFrmPodglad::loadBounds(TRegistry& reg) {
    const int width = reg.ReadInteger(u"FrmPodglad_Width"_s);
    const int height = reg.ReadInteger(u"FrmPodglad_Height"_s);
    int top = reg.ReadInteger(u"FrmPodglad_Top"_s);
    int left = reg.ReadInteger(u"FrmPodglad_Left"_s);
    fitMinimumSize(); // the clamps below need a minimum that fits the work area
    const QRect a = WorkArea();
    const qint64 areaRight = qint64(a.left()) + a.width();
    const qint64 areaBottom = qint64(a.top()) + a.height();
    // A window left on a screen that is gone comes back into the work area.
    left = int(std::clamp<qint64>(left, a.left(), std::max<qint64>(a.left(), areaRight - minimumWidth())));
    top = int(std::clamp<qint64>(top, a.top(), std::max<qint64>(a.top(), areaBottom - minimumHeight())));
    qint64 w = std::max(width, 1);
    qint64 h = std::max(height, 1);
    if (left + w > areaRight)
        w = areaRight - left;
    if (top + h > areaBottom)
        h = areaBottom - top;
    move(left, top);
    resize(int(w), int(h));
}

void TFrmPodglad::LoadSettings() {
    TRegistry reg;
    if (!reg.OpenKey(kKey, false))
        return;
    TPrintSettings& ps = PrintSettings();
    group([&] { loadBounds(reg); });
    group([&] {
        if (reg.ReadBool(u"FrmPodglad_Max"_s))
            setWindowState(windowState() | Qt::WindowMaximized);
    });
    group([&] {
        const int t = reg.ReadInteger(u"Margin_Top"_s);
        const int l = reg.ReadInteger(u"Margin_Left"_s);
        const int r = reg.ReadInteger(u"Margin_Right"_s);
        const int b = reg.ReadInteger(u"Margin_Bottom"_s);
        margT->setValue(t);
        margL->setValue(l);
        margR->setValue(r);
        margB->setValue(b);
    });
    group([&] { ps.NazwaDruk = reg.ReadString(u"PrintDlg_NazwaDruk"_s); });
    group([&] { ps.Tryb = reg.ReadInteger(u"PrintDlg_Tryb"_s); });
    group([&] { ps.Odwrotnie = reg.ReadBool(u"PrintDlg_Odwrotnie"_s); });
    group([&] { ps.Odwrotnie2 = reg.ReadBool(u"PrintDlg_Odwrotnie2"_s); });
    group([&] { ps.Dwustronnie = reg.ReadBool(u"PrintDlg_Dwustronnie"_s); });
    group([&] { ps.Kolor = reg.ReadBool(u"PrintDlg_Kolor"_s); });
    group([&] { ps.Kopie = reg.ReadInteger(u"PrintDlg_Kopie"_s); });
    group([&] { ps.NoAbort = reg.ReadBool(u"PrintDlg_NoAbort"_s); });
    group([&] { ps.NoEMF = reg.ReadBool(u"PrintDlg_NoEMF"_s); });
}

void TFrmPodglad::SaveSettings() {
    TRegistry reg;
    if (!reg.OpenKey(kKey, true))
        return;
    if (isMaximized()) {
        reg.WriteBool(u"FrmPodglad_Max"_s, true);
    } else {
        // The frame's corner and the window's inside, as they are given back when loaded.
        reg.WriteInteger(u"FrmPodglad_Left"_s, x());
        reg.WriteInteger(u"FrmPodglad_Top"_s, y());
        reg.WriteInteger(u"FrmPodglad_Width"_s, width());
        reg.WriteInteger(u"FrmPodglad_Height"_s, height());
        reg.WriteBool(u"FrmPodglad_Max"_s, false);
    }
    reg.WriteInteger(u"Margin_Left"_s, viewer->MargLeft());
    reg.WriteInteger(u"Margin_Right"_s, viewer->MargRight());
    reg.WriteInteger(u"Margin_Top"_s, viewer->MargTop());
    reg.WriteInteger(u"Margin_Bottom"_s, viewer->MargBottom());
    const TPrintSettings& ps = PrintSettings();
    reg.WriteString(u"PrintDlg_NazwaDruk"_s, ps.NazwaDruk);
    reg.WriteInteger(u"PrintDlg_Tryb"_s, ps.Tryb);
    reg.WriteBool(u"PrintDlg_Odwrotnie"_s, ps.Odwrotnie);
    reg.WriteBool(u"PrintDlg_Odwrotnie2"_s, ps.Odwrotnie2);
    reg.WriteBool(u"PrintDlg_Dwustronnie"_s, ps.Dwustronnie);
    reg.WriteBool(u"PrintDlg_Kolor"_s, ps.Kolor);
    reg.WriteInteger(u"PrintDlg_Kopie"_s, ps.Kopie);
    reg.WriteBool(u"PrintDlg_NoAbort"_s, ps.NoAbort);
    reg.WriteBool(u"PrintDlg_NoEMF"_s, ps.NoEMF);
}

} // namespace vek
