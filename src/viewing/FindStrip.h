#pragma once
// TFindStrip: the small find strip of the preview, in the kit's look: "Znajdź:", the text field,
// buttons for the previous and the next place, the count ("3 z 17") and a close button. Typing
// searches after a short pause; Enter goes to the next place (Shift+Enter the previous one), at
// once when typing is still waiting; Esc closes the strip. The window around it maps F3 and
// Shift+F3. The marks of the search show while the strip is open.

#include "kit/bajery.h"

class QLabel;
class QLineEdit;
class QTimer;

namespace vek {

class TCaptionButton;
class TPageFinder;
class TVekBtn;

class TFindStrip : public TPanelEx {
    Q_OBJECT
public:
    // The finder must outlive the strip.
    TFindStrip(TPageFinder* finder, QWidget* parent);

    // Shows the strip with its text selected and the focus in the field; the marks show.
    void Open();
    // Hides the strip and its marks; the focus goes back to ReturnFocusTo.
    void Close();
    bool IsOpen() const { return isVisible(); }
    // Runs a search that typing left waiting, then goes to the next or previous place.
    void FindNext();
    void FindPrevious();
    // Whether w is the strip or one of its controls.
    bool Owns(const QWidget* w) const;

    // The count as the strip shows it: "3 z 17", "Nie znaleziono", "Szukanie..." or nothing.
    static QString CountText(const QString& text, int current, int count, bool complete);

    QLineEdit* edSzukaj = nullptr;
    QLabel* lblIle = nullptr;
    TVekBtn* btnPoprz = nullptr;
    TVekBtn* btnNast = nullptr;
    TCaptionButton* btnZamknij = nullptr;
    // Where the focus goes when the strip closes.
    QPointer<QWidget> ReturnFocusTo;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool flushTyping();
    void showCount();

    TPageFinder* m_finder;
    QTimer* m_typing; // the pause after typing before the search runs
};

} // namespace vek
