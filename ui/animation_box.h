#pragma once

#include <vector>

#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QMovie;

namespace velmora::ui {

// The template of an animated picture: it names the picture and is placed in
// the window like a control, but draws nothing itself and takes no mouse input.
// What the user sees is the copy an AnimationBox makes of it.
class AnimationObject : public QWidget {
    Q_OBJECT

public:
    AnimationObject(QString picture, QWidget* parent);

    // A resource or file path of an animated picture QMovie can read (GIF).
    const QString& picture() const { return m_picture; }

private:
    QString m_picture;
};

// A playing copy of an AnimationObject: the picture at full size, looping
// forever with no pause between plays, the colour of each frame's top-left pixel
// made transparent. It does not move and takes no mouse input.
class AnimationSprite : public QLabel {
    Q_OBJECT

public:
    AnimationSprite(const QString& picture, QWidget* parent);

    QMovie* movie() const { return m_movie; }

    // Paused keeps the current frame on screen and stops the frame timer, so a
    // hidden window costs no decoding or drawing.
    void setPlaying(bool playing);

private:
    void showFrame(int frameNumber);

    QMovie* m_movie;
    bool m_playing = false;
    std::vector<QPixmap> m_keyedFrames;  // by frame number, made on first show
};

// The frame in which copies of animation objects play.
class AnimationBox : public QWidget {
    Q_OBJECT

public:
    explicit AnimationBox(QWidget* parent);

    // Creates a visible copy of the template with its top-left corner at `at`
    // inside the box; the box's current play state applies to it.
    AnimationSprite* addCopy(const AnimationObject& object, QPoint at);

    // Plays or pauses every copy in the box.
    void setPlaying(bool playing);
    bool isPlaying() const { return m_playing; }

private:
    bool m_playing = false;
};

// The picture with every pixel of the top-left pixel's colour made fully
// transparent.
QImage KeyOutTopLeftColour(const QImage& frame);

}  // namespace velmora::ui
