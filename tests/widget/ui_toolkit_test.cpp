// The window-toolkit pieces on their own: message boxes and the fatal error
// box, the spin step, edit-box writes, the condensed caption, the wrapped
// button caption and the colour key of the animation.

#include <cstdint>
#include <limits>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "hermetic_test_main.h"
#include "ui/animation_box.h"
#include "ui/edit_text.h"
#include "ui/fatal_error.h"
#include "ui/message_box.h"
#include "ui/push_button.h"
#include "ui/spin_edit.h"
#include "ui/transparent_label.h"
#include "ui/window_font.h"

Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButtons)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

class UiToolkitTest : public QObject {
    Q_OBJECT

private slots:
    void messageBoxStyles_data();
    void messageBoxStyles();
    void messageBoxResult_data();
    void messageBoxResult();
    void fatalErrorBox();
    void spinStep_data();
    void spinStep();
    void writeEditTextFiresOnce_data();
    void writeEditTextFiresOnce();
    void labelCondensesOnlyWhatDoesNotFit_data();
    void labelCondensesOnlyWhatDoesNotFit();
    void buttonCaptionWraps();
    void keyOutTopLeftColour();

private:
    // Answers the next modal box with `button`, or with Esc when none is given.
    static void answerNextBox(QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            if (button == QMessageBox::NoButton) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else {
                box->button(button)->click();
            }
        });
    }
};

void UiToolkitTest::messageBoxStyles_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<QMessageBox::StandardButtons>("buttons");
    QTest::newRow("48 exclamation")
        << 48 << QMessageBox::Warning << QMessageBox::StandardButtons(QMessageBox::Ok);
    QTest::newRow("64 information")
        << 64 << QMessageBox::Information << QMessageBox::StandardButtons(QMessageBox::Ok);
    QTest::newRow("1 OK and Cancel")
        << 1 << QMessageBox::NoIcon << (QMessageBox::Ok | QMessageBox::Cancel);
}

void UiToolkitTest::messageBoxStyles() {
    QFETCH(int, style);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(QMessageBox::StandardButtons, buttons);

    const auto box = velmora::ui::MakeMessageBox(QStringLiteral("请输入正确的时间"),
                                                 QStringLiteral("提示"), style);
    QCOMPARE(box->text(), QStringLiteral("请输入正确的时间"));
    QCOMPARE(box->windowTitle(), QStringLiteral("提示"));
    QCOMPARE(box->icon(), icon);
    QCOMPARE(box->standardButtons(), buttons);
    QCOMPARE(box->parentWidget(), nullptr);
    QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    QCOMPARE(box->textFormat(), Qt::PlainText);
}

void UiToolkitTest::messageBoxResult_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QMessageBox::StandardButton>("answer");
    QTest::addColumn<int>("result");
    QTest::newRow("OK in an OK box") << 48 << QMessageBox::Ok << 0;
    QTest::newRow("Esc in an OK box") << 64 << QMessageBox::NoButton << 0;
    QTest::newRow("OK in an OK/Cancel box") << 1 << QMessageBox::Ok << 0;
    QTest::newRow("Cancel") << 1 << QMessageBox::Cancel << 1;
    QTest::newRow("Esc in an OK/Cancel box") << 1 << QMessageBox::NoButton << 1;
}

void UiToolkitTest::messageBoxResult() {
    QFETCH(int, style);
    QFETCH(QMessageBox::StandardButton, answer);
    QFETCH(int, result);

    answerNextBox(answer);
    QCOMPARE(velmora::ui::ShowMessageBox(QStringLiteral("确定要关机吗？"), QStringLiteral("提示"),
                                         style),
             result);
}

void UiToolkitTest::fatalErrorBox() {
    const QString message = QStringLiteral("载入启动窗口失败");
    QCOMPARE(velmora::ui::FatalErrorText(message),
             QStringLiteral("运行时出错!\n\n错误信息：载入启动窗口失败\n"));
    const auto box = velmora::ui::MakeFatalErrorBox(message);
    QCOMPARE(box->windowTitle(), QStringLiteral("错误"));
    QCOMPARE(box->icon(), QMessageBox::Critical);
    QCOMPARE(box->text(), velmora::ui::FatalErrorText(message));
    QCOMPARE(box->parentWidget(), nullptr);

    answerNextBox(QMessageBox::Ok);
    QCOMPARE(velmora::ui::ShowFatalErrorBox(message), -1);
}

void UiToolkitTest::spinStep_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("result");
    constexpr int kMax = std::numeric_limits<std::int32_t>::max();
    constexpr int kMin = std::numeric_limits<std::int32_t>::min();
    QTest::newRow("inside, up") << 5 << 0 << 59 << +1 << 6;
    QTest::newRow("inside, down") << 5 << 0 << 59 << -1 << 4;
    QTest::newRow("top, up wraps") << 59 << 0 << 59 << +1 << 0;
    QTest::newRow("bottom, down wraps") << 0 << 0 << 59 << -1 << 59;
    QTest::newRow("below, up") << -7 << 1 << 24 << +1 << 1;
    QTest::newRow("below, down") << -7 << 1 << 24 << -1 << 24;
    QTest::newRow("above, down") << 99 << 0 << 59 << -1 << 59;
    QTest::newRow("just above, down lands inside") << 60 << 0 << 59 << -1 << 59;
    QTest::newRow("int max, up") << kMax << 0 << 59 << +1 << 0;
    QTest::newRow("int min, down") << kMin << 0 << 59 << -1 << 59;
}

void UiToolkitTest::spinStep() {
    QFETCH(int, n);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, direction);
    QFETCH(int, result);
    QCOMPARE(velmora::ui::SpinStep(n, minimum, maximum, direction), result);
}

void UiToolkitTest::writeEditTextFiresOnce_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("written");
    QTest::newRow("changed") << "12"
                             << "5";
    QTest::newRow("unchanged") << "12"
                               << "12";
    QTest::newRow("emptied") << "12"
                             << "";
}

void UiToolkitTest::writeEditTextFiresOnce() {
    QFETCH(QString, before);
    QFETCH(QString, written);
    QLineEdit edit(before);
    QSignalSpy changes(&edit, &QLineEdit::textChanged);
    velmora::ui::WriteEditText(edit, written);
    QCOMPARE(edit.text(), written);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().first().toString(), written);
}

void UiToolkitTest::labelCondensesOnlyWhatDoesNotFit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("condensed");
    QTest::newRow("fits on one line") << "当前时间：" << QSize(64, 32) << false;
    QTest::newRow("kept on one line rather than broken inside a date")
        << "2024年12月31日23时59分59秒" << QSize(152, 32) << true;
    QTest::newRow("one character too many for one line")
        << "每日即时定时：" << QSize(72, 16) << true;
    QTest::newRow("too long for one line even condensed: wrapped as it is")
        << "一二三四五六七八九十" << QSize(64, 32) << false;
}

void UiToolkitTest::labelCondensesOnlyWhatDoesNotFit() {
    QFETCH(QString, text);
    QFETCH(QSize, size);
    QFETCH(bool, condensed);

    QWidget parent;
    parent.setFont(velmora::ui::WindowFont());
    velmora::ui::TransparentLabel label(text, &parent);
    label.resize(size);
    const QFont font = label.fittedFont();
    QCOMPARE(font.stretch() != label.font().stretch(), condensed);
    if (condensed) {
        QVERIFY(font.stretch() >= velmora::ui::TransparentLabel::kMinimumStretch);
    }
    const QRect needed = QFontMetrics(font).boundingRect(
        label.contentsRect(), velmora::ui::TransparentLabel::kTextFlags, text);
    QVERIFY(label.contentsRect().contains(needed));
}

void UiToolkitTest::buttonCaptionWraps() {
    QWidget parent;
    parent.setFont(velmora::ui::WindowFont());
    velmora::ui::PushButton button(QStringLiteral("时间清零"), &parent);
    button.resize(32, 32);
    const QFontMetrics metrics(button.font());
    const QRect needed = metrics.boundingRect(
        button.captionRect(), velmora::ui::PushButton::kCaptionFlags, button.text());
    QVERIFY2(button.captionRect().contains(needed),
             qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                            .arg(needed.x())
                            .arg(needed.y())
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(button.captionRect().width())
                            .arg(button.captionRect().height())));
    QVERIFY(needed.height() >= 2 * metrics.height());  // two lines, not one cut line
    QCOMPARE(button.text(), QStringLiteral("时间清零"));
}

void UiToolkitTest::keyOutTopLeftColour() {
    QImage frame(4, 3, QImage::Format_RGB32);
    frame.fill(qRgb(255, 0, 255));
    frame.setPixel(1, 1, qRgb(10, 20, 30));
    frame.setPixel(3, 2, qRgb(255, 0, 254));  // close to the key but not it
    const QImage keyed = velmora::ui::KeyOutTopLeftColour(frame);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const bool kept = (x == 1 && y == 1) || (x == 3 && y == 2);
            QCOMPARE(qAlpha(keyed.pixel(x, y)), kept ? 255 : 0);
            if (kept) {
                QCOMPARE(keyed.pixel(x, y), frame.pixel(x, y));
            }
        }
    }
    QVERIFY(velmora::ui::KeyOutTopLeftColour(QImage()).isNull());
}

VELMORA_HERMETIC_WIDGET_TEST_MAIN(UiToolkitTest)
#include "ui_toolkit_test.moc"
