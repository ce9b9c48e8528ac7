#include "ui/animation_box.h"

#include <utility>

#include <QImage>
#include <QMovie>

namespace velmora::ui {

QImage KeyOutTopLeftColour(const QImage& frame) {
    QImage keyed = frame.convertToFormat(QImage::Format_ARGB32);
    if (keyed.isNull()) {
        return keyed;
    }
    const QRgb key = keyed.pixel(0, 0);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if (line[x] == key) {
                line[x] = qRgba(0, 0, 0, 0);
            }
        }
    }
    return keyed;
}

AnimationObject::AnimationObject(QString picture, QWidget* parent)
    : QWidget(parent), m_picture(std::move(picture)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

AnimationSprite::AnimationSprite(const QString& picture, QWidget* parent)
    : QLabel(parent), m_movie(new QMovie(picture, QByteArray(), this)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_movie->setCacheMode(QMovie::CacheAll);
    connect(m_movie, &QMovie::frameChanged, this, &AnimationSprite::showFrame);
    // The picture's own loop count does not matter: the animation never ends.
    connect(m_movie, &QMovie::finished, this, [this] {
        if (m_playing) {
            m_movie->start();
        }
    });
    if (m_movie->jumpToFrame(0)) {
        resize(m_movie->currentImage().size());
    }
}

void AnimationSprite::setPlaying(bool playing) {
    m_playing = playing;
    if (!playing) {
        m_movie->setPaused(true);
    } else if (m_movie->state() == QMovie::NotRunning) {
        m_movie->start();
    } else {
        m_movie->setPaused(false);
    }
}

void AnimationSprite::showFrame(int frameNumber) {
    if (frameNumber < 0) {
        return;
    }
    const auto index = static_cast<std::size_t>(frameNumber);
    if (index >= m_keyedFrames.size()) {
        m_keyedFrames.resize(index + 1);
    }
    // Keying out a frame touches every pixel; each frame is done once and then
    // reused on every later loop.
    if (m_keyedFrames[index].isNull()) {
        m_keyedFrames[index] = QPixmap::fromImage(KeyOutTopLeftColour(m_movie->currentImage()));
    }
    setPixmap(m_keyedFrames[index]);
}

AnimationBox::AnimationBox(QWidget* parent) : QWidget(parent) {
}

AnimationSprite* AnimationBox::addCopy(const AnimationObject& object, QPoint at) {
    auto* sprite = new AnimationSprite(object.picture(), this);
    sprite->move(at);
    sprite->setPlaying(m_playing);
    sprite->show();
    return sprite;
}

void AnimationBox::setPlaying(bool playing) {
    m_playing = playing;
    for (auto* sprite : findChildren<AnimationSprite*>(Qt::FindDirectChildrenOnly)) {
        sprite->setPlaying(playing);
    }
}

}  // namespace velmora::ui
