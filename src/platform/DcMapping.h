#pragma once
// The mapping part of a device context, with GDI's rules: the mapping mode, window and viewport
// origins and extents, the world transform, and the SaveDC/RestoreDC stack. One model for every
// unit that follows a device context through drawing calls or metafile records: the metafile
// canvas (to write the bounds of what it records), the picture embedder, the player, the display
// list and the page text. So the bounds a recording states are the pixels its playback paints.
//
// Logical units --(world transform)--> page units --(window/viewport)--> device units.

#include "Gdi.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>
#include <cstddef>
#include <vector>

namespace vek {

class DcMapping {
public:
    // devicePixelsPerMm: resolution of the device units, for the metric mapping modes.
    explicit DcMapping(QSizeF devicePixelsPerMm = QSizeF(96 / 25.4, 96 / 25.4));

    int mapMode() const { return m_mode; }
    QPointF windowOrg() const { return m_windowOrg; }
    QPointF viewportOrg() const { return m_viewportOrg; }
    QSizeF windowExt() const { return m_windowExt; }
    QSizeF viewportExt() const { return m_viewportExt; }
    const QTransform& world() const { return m_world; }
    QSizeF devicePixelsPerMm() const { return m_pixelsPerMm; }

    // SetMapMode: a mode outside MM_TEXT..MM_ANISOTROPIC is ignored (false). MM_TEXT resets both
    // extents to 1; the metric modes and MM_ISOTROPIC set the extents of their unit, which an
    // MM_ANISOTROPIC chosen afterwards keeps.
    bool setMapMode(int mode);
    void setWindowOrg(QPointF p);
    void setViewportOrg(QPointF p);
    // SetWindowExtEx / SetViewportExtEx: ignored (false) outside MM_ISOTROPIC and MM_ANISOTROPIC,
    // and for a zero extent, as GDI ignores them.
    bool setWindowExt(QSizeF s);
    bool setViewportExt(QSizeF s);
    bool scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    bool scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    // A transform that is not finite or not invertible is ignored (false).
    bool setWorldTransform(const QTransform& t);
    // ModifyWorldTransform mode: 1 identity, 2 left multiply (t applies first), 3 right multiply,
    // 4 set.
    bool modifyWorldTransform(const QTransform& t, int mode);

    // Window/viewport mapping alone: page units to device units.
    const QTransform& page() const { return m_page; }
    // The whole mapping: logical units to device units.
    QTransform logicalToDevice() const { return m_world * m_page; }
    QPointF toDevice(QPointF logical) const { return logicalToDevice().map(logical); }
    // The device rectangle a logical rectangle covers (its bounding box under rotations).
    QRectF toDevice(const QRectF& logical) const { return logicalToDevice().mapRect(logical.normalized()); }
    // Size of one device pixel in logical units along x and y (0 when the mapping collapses).
    QSizeF devicePixelInLogical() const;

private:
    void update();

    int m_mode = MM_TEXT;
    QPointF m_windowOrg;
    QPointF m_viewportOrg;
    QSizeF m_windowExt{1, 1};
    QSizeF m_viewportExt{1, 1};
    QTransform m_world;
    QSizeF m_pixelsPerMm;
    QTransform m_page; // follows the fields above
};

// The SaveDC/RestoreDC stack of some device-context state, with GDI's level arithmetic.
template <typename State> class DcStack {
public:
    static constexpr std::size_t kMaxDepth = 1024; // deeper saves are ignored

    // SaveDC: returns the new level (1 for the first save); a save past the limit is ignored and
    // answers the current level.
    int save(const State& s) {
        if (m_saved.size() < kMaxDepth)
            m_saved.push_back(s);
        return depth();
    }
    // RestoreDC: a negative level counts back from the current one, a positive one is a level
    // save() returned. Out of range (or 0): nothing happens and the answer is false.
    bool restore(int level, State& into) {
        const long long t = target(level);
        if (t < 0)
            return false;
        into = std::move(m_saved[static_cast<std::size_t>(t)]);
        m_saved.resize(static_cast<std::size_t>(t));
        return true;
    }
    // Levels popped by restore(level), or 0 when it would do nothing.
    int popped(int level) const {
        const long long t = target(level);
        return t < 0 ? 0 : depth() - int(t);
    }
    int depth() const { return int(m_saved.size()); }
    // The saved states, oldest first.
    auto begin() const { return m_saved.begin(); }
    auto end() const { return m_saved.end(); }

private:
    // The index of the state restore(level) goes back to; -1 when the level is out of range.
    long long target(int level) const {
        const long long n = static_cast<long long>(m_saved.size());
        const long long t = level < 0 ? n + level : static_cast<long long>(level) - 1;
        return level == 0 || t < 0 || t >= n ? -1 : t;
    }

    std::vector<State> m_saved;
};

} // namespace vek
