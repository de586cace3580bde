#include "DcMapping.h"

#include <algorithm>
#include <cmath>

namespace vek {
namespace {

// Logical units per millimetre of the fixed mapping modes; MM_ISOTROPIC starts from MM_LOMETRIC.
double unitsPerMm(int mode) {
    switch (mode) {
    case MM_LOMETRIC:
    case MM_ISOTROPIC:
        return 10;
    case MM_HIMETRIC:
        return 100;
    case MM_LOENGLISH:
        return 100 / 25.4;
    case MM_HIENGLISH:
        return 1000 / 25.4;
    case MM_TWIPS:
        return 1440 / 25.4;
    default:
        return 0;
    }
}

bool finiteTransform(const QTransform& t) {
    const double v[] = {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()};
    return std::all_of(std::begin(v), std::end(v),
                       [](double x) { return std::isfinite(x) && std::abs(x) <= 1e12; });
}

bool scalable(int mode) {
    return mode == MM_ISOTROPIC || mode == MM_ANISOTROPIC;
}

// A window or viewport extent GDI takes: finite and not zero along either axis.
bool usableExtent(QSizeF s) {
    return s.width() != 0 && s.height() != 0 && std::isfinite(s.width()) && std::isfinite(s.height());
}

} // namespace

DcMapping::DcMapping(QSizeF devicePixelsPerMm)
    : m_pixelsPerMm(devicePixelsPerMm) {
    if (!(m_pixelsPerMm.width() > 0) || !(m_pixelsPerMm.height() > 0) ||
        !std::isfinite(m_pixelsPerMm.width()) || !std::isfinite(m_pixelsPerMm.height()))
        m_pixelsPerMm = QSizeF(96 / 25.4, 96 / 25.4);
    update();
}

void DcMapping::update() {
    double sx = 1, sy = 1;
    if (scalable(m_mode)) {
        const double wx = m_windowExt.width(), wy = m_windowExt.height();
        sx = wx != 0 ? m_viewportExt.width() / wx : 1;
        sy = wy != 0 ? m_viewportExt.height() / wy : 1;
        if (m_mode == MM_ISOTROPIC) {
            // Both axes take the smaller scale, each keeping its own direction.
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
    } else if (m_mode != MM_TEXT) {
        const double u = unitsPerMm(m_mode);
        sx = m_pixelsPerMm.width() / u;
        sy = -m_pixelsPerMm.height() / u;
    }
    m_page = QTransform(sx, 0, 0, sy, m_viewportOrg.x() - m_windowOrg.x() * sx,
                        m_viewportOrg.y() - m_windowOrg.y() * sy);
}

bool DcMapping::setMapMode(int mode) {
    if (mode < MM_TEXT || mode > MM_ANISOTROPIC)
        return false;
    m_mode = mode;
    if (mode == MM_TEXT) {
        m_windowExt = m_viewportExt = QSizeF(1, 1);
    } else if (mode != MM_ANISOTROPIC) {
        const double u = unitsPerMm(mode);
        m_windowExt = QSizeF(u, u);
        m_viewportExt = QSizeF(m_pixelsPerMm.width(), -m_pixelsPerMm.height());
    }
    update();
    return true;
}

void DcMapping::setWindowOrg(QPointF p) {
    m_windowOrg = p;
    update();
}

void DcMapping::setViewportOrg(QPointF p) {
    m_viewportOrg = p;
    update();
}

bool DcMapping::setWindowExt(QSizeF s) {
    if (!scalable(m_mode) || !usableExtent(s))
        return false;
    m_windowExt = s;
    update();
    return true;
}

bool DcMapping::setViewportExt(QSizeF s) {
    if (!scalable(m_mode) || !usableExtent(s))
        return false;
    m_viewportExt = s;
    update();
    return true;
}

bool DcMapping::scaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return false;
    return setWindowExt(QSizeF(m_windowExt.width() * xNum / xDenom, m_windowExt.height() * yNum / yDenom));
}

bool DcMapping::scaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return false;
    return setViewportExt(
        QSizeF(m_viewportExt.width() * xNum / xDenom, m_viewportExt.height() * yNum / yDenom));
}

bool DcMapping::setWorldTransform(const QTransform& t) {
    if (!finiteTransform(t) || !t.isInvertible())
        return false;
    m_world = t;
    return true;
}

bool DcMapping::modifyWorldTransform(const QTransform& t, int mode) {
    switch (mode) {
    case 1:
        m_world = QTransform();
        return true;
    case 2:
        return setWorldTransform(t * m_world);
    case 3:
        return setWorldTransform(m_world * t);
    case 4:
        return setWorldTransform(t);
    default:
        return false;
    }
}

QSizeF DcMapping::devicePixelInLogical() const {
    const QTransform t = logicalToDevice();
    const double sx = std::hypot(t.m11(), t.m12()), sy = std::hypot(t.m21(), t.m22());
    return QSizeF(sx > 0 ? 1 / sx : 0, sy > 0 ? 1 / sy : 0);
}

} // namespace vek
