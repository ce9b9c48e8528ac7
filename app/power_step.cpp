#include "app/power_step.h"

#include <QComboBox>
#include <QPushButton>
#include <QString>

#include "app/main_window.h"
#include "ui/message_box.h"

namespace velmora::app {

namespace {

QString ActionBoxName() {
    return QStringLiteral("组合框1");
}

// The selected item's text, not the edit field's: a text typed into the box
// chooses nothing.
QString SelectedItemText(const QComboBox* box) {
    if (box == nullptr || box->currentIndex() < 0 || box->currentIndex() >= box->count()) {
        return {};
    }
    return box->itemText(box->currentIndex());
}

void WarnNoAction(MainWindow& window, const Services& services) {
    services.messageBox(QStringLiteral("请选择电脑执行方式！"), QStringLiteral("警告框！"),
                        ui::kStyleExclamation);
    if (auto* box = window.control<QComboBox>(ActionBoxName())) {
        box->setFocus();
    }
}

}  // namespace

schedule::PowerActionOutcome RunPowerAction(MainWindow& window, const Services& services,
                                            bool interactive) {
    const QString text = SelectedItemText(window.control<QComboBox>(ActionBoxName()));
    const schedule::PowerActionOutcome outcome =
        schedule::DispatchPowerAction(services.power, text.toStdString(), interactive);
    if (outcome == schedule::PowerActionOutcome::NoSuchAction) {
        // Queued on the window: dropped if the window is gone by then.
        QMetaObject::invokeMethod(
            &window, [&window, &services] { WarnNoAction(window, services); },
            Qt::QueuedConnection);
    }
    return outcome;
}

void ConnectExecuteNowButton(MainWindow& window, const Services& services) {
    if (auto* button = window.control<QPushButton>(QStringLiteral("按钮保存立即执行"))) {
        QObject::connect(button, &QPushButton::clicked, &window, [&window, &services] {
            RunPowerAction(window, services, /*interactive=*/true);
        });
    }
}

}  // namespace velmora::app
