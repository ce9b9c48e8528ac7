#pragma once

#include <QByteArrayView>
#include <QObject>
#include <QPalette>
#include <QString>

class QApplication;
class QWidget;

namespace velmora::skin {

// What the library's entries do, for the one QApplication of the process.
//
// A skin is the application's palette and style (a SkinStyle): every window,
// those opened later too, is drawn in it. Fonts and sizes stay as they are. Two kinds of window get
// special care:
// - a window that chose its own background colour (and not its text colour)
//   keeps the background, and its text is drawn in the skin's window text
//   colour when that reads on it (contrast 4.5 or more), else in black or
//   white, whichever reads better;
// - with glass on, ordinary framed windows are made kGlassOpacity opaque, unless
//   they already set an opacity of their own.
class SkinEngine final : public QObject {
public:
    // The engine of the running QApplication, made on first use; nullptr when
    // the process has no QApplication. It lives as long as the application.
    static SkinEngine* instance();

    void setGlass(bool on);

    // The skin in `bytes` on every window; false, and the default look, when
    // the bytes are no skin.
    bool attach(QByteArrayView bytes);

    // The look the program had before the first skin.
    void detach();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit SkinEngine(QApplication& application);

    void glaze(QWidget& window) const;
    void fitOwnBackground(QWidget& window) const;
    void refreshWindows() const;

    QPalette m_defaultPalette;  // the application's palette before any skin
    QPalette m_restorePalette;  // what gives it back: unset when it was the theme's
    QString m_defaultStyle;     // the name of the application's style before any skin
    bool m_glass = false;
};

}  // namespace velmora::skin
