#include "ui/message_box.h"

namespace velmora::ui {

std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, const QString& title, int style) {
    auto box = std::make_unique<QMessageBox>();
    box->setWindowTitle(title);
    box->setText(text);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::ApplicationModal);
    switch (style) {
        case kStyleExclamation:
            box->setIcon(QMessageBox::Warning);
            box->setStandardButtons(QMessageBox::Ok);
            break;
        case kStyleInformation:
            box->setIcon(QMessageBox::Information);
            box->setStandardButtons(QMessageBox::Ok);
            break;
        case kStyleOkCancel:
            box->setIcon(QMessageBox::NoIcon);
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box->setEscapeButton(QMessageBox::Cancel);
            break;
        default:
            box->setIcon(QMessageBox::NoIcon);
            box->setStandardButtons(QMessageBox::Ok);
            break;
    }
    box->setDefaultButton(QMessageBox::Ok);
    return box;
}

int ShowMessageBox(const QString& text, const QString& title, int style) {
    const auto box = MakeMessageBox(text, title, style);
    box->exec();
    return box->clickedButton() == box->button(QMessageBox::Cancel) ? kResultCancel : kResultOk;
}

}  // namespace velmora::ui
