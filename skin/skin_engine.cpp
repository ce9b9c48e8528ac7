#include "skin/skin_engine.h"

#include <array>

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

#include "skin/contrast.h"
#include "skin/skin_format.h"
#include "skin/skin_style.h"
#include "skin/velmora_skin.h"

namespace velmora::skin {

namespace {

// Marks on the windows the engine changed, so that it can change them back.
constexpr const char* kGlazedMark = "_velmora_skin_glazed";
constexpr const char* kOwnBackgroundMark = "_velmora_skin_own_background";

constexpr double kReadableContrast = 4.5;

bool TakesGlass(const QWidget& window) {
    return window.windowType() == Qt::Window &&
           !window.windowFlags().testFlag(Qt::FramelessWindowHint);
}

// The first of the candidates that reads on `background`, else the one that
// reads best.
QColor ReadableOn(const QColor& background, const std::array<QColor, 3>& candidates) {
    QColor best = candidates.front();
    for (const QColor& candidate : candidates) {
        if (ContrastRatio(candidate, background) >= kReadableContrast) {
            return candidate;
        }
        if (ContrastRatio(candidate, background) > ContrastRatio(best, background)) {
            best = candidate;
        }
    }
    return best;
}

}  // namespace

SkinEngine* SkinEngine::instance() {
    static QPointer<SkinEngine> engine;
    if (engine.isNull()) {
        auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (application == nullptr) {
            return nullptr;
        }
        engine = new SkinEngine(*application);
    }
    return engine.data();
}

SkinEngine::SkinEngine(QApplication& application)
    : QObject(&application),
      m_defaultPalette(QApplication::palette()),
      // An application palette nobody set follows the desktop's theme; handing
      // back an empty palette keeps it doing so.
      m_restorePalette(QCoreApplication::testAttribute(Qt::AA_SetPalette) ? QApplication::palette()
                                                                          : QPalette()),
      m_defaultStyle(QApplication::style()->name()) {
    // Windows opened later get the glass and the text colour on show.
    application.installEventFilter(this);
}

void SkinEngine::setGlass(bool on) {
    m_glass = on;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        glaze(*window);
    }
}

bool SkinEngine::attach(QByteArrayView bytes) {
    const std::optional<Skin> skin = ParseSkin(bytes);
    if (!skin) {
        detach();
        return false;
    }
    // Style first: a new style brings its own palette unless one is set.
    QApplication::setStyle(new SkinStyle(skin->look));
    QApplication::setPalette(SkinPalette(*skin, m_defaultPalette));
    refreshWindows();
    return true;
}

void SkinEngine::detach() {
    if (dynamic_cast<SkinStyle*>(QApplication::style()) != nullptr) {
        QApplication::setStyle(m_defaultStyle);
    }
    QApplication::setPalette(m_restorePalette);
    refreshWindows();
}

void SkinEngine::refreshWindows() const {
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        fitOwnBackground(*window);
    }
}

bool SkinEngine::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow()) {
            fitOwnBackground(*widget);
            glaze(*widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

void SkinEngine::glaze(QWidget& window) const {
    const bool glazed = window.property(kGlazedMark).toBool();
    if (m_glass && !glazed && TakesGlass(window) && window.windowOpacity() == 1.0) {
        window.setWindowOpacity(kGlassOpacity);
        window.setProperty(kGlazedMark, true);
    } else if (!m_glass && glazed) {
        window.setWindowOpacity(1.0);
        window.setProperty(kGlazedMark, QVariant());
    }
}

void SkinEngine::fitOwnBackground(QWidget& window) const {
    QPalette palette = window.palette();
    const bool ours = window.property(kOwnBackgroundMark).toBool();
    const bool ownBackground = window.testAttribute(Qt::WA_SetPalette) &&
                               palette.isBrushSet(QPalette::Active, QPalette::Window);
    const bool ownText = palette.isBrushSet(QPalette::Active, QPalette::WindowText);
    if (!ours && (!ownBackground || ownText)) {
        return;
    }
    const QColor background = palette.color(QPalette::Active, QPalette::Window);
    const QColor text = ReadableOn(
        background, {QApplication::palette().color(QPalette::Active, QPalette::WindowText),
                     QColor(Qt::black), QColor(Qt::white)});
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::ButtonText, text);
    window.setPalette(palette);
    window.setProperty(kOwnBackgroundMark, true);
}

}  // namespace velmora::skin
