#include "app/main_window_layout.h"

#include <string_view>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>

#include "ui/animation_box.h"
#include "ui/push_button.h"
#include "ui/spin_edit.h"
#include "ui/transparent_label.h"

namespace velmora::app {

namespace {

enum class Kind {
    Label,
    GroupBox,
    RadioButton,
    DateBox,
    EditBox,
    SpinEditBox,
    ComboBox,
    CheckBox,
    PushButton,
    AnimationBox,
    AnimationObject,
    LunarDateBox,
};

enum class In { Window, Group1, Group2 };

struct ControlPlace {
    const char* name;
    Kind kind;
    In in;
    int left, top, width, height;
    const char* text;  // caption, initial text, or combo items separated by '|'
    int spinMinimum = 0;
    int spinMaximum = 0;
};

constexpr const char* kGroup1 = "分组框1";
constexpr const char* kGroup2 = "分组框2";
constexpr const char* kAnimationPicture = ":/animation.gif";

// The designed layout, in the order the controls are created. Group boxes come
// before the controls placed in them.
const ControlPlace kControls[] = {
    {"透明标签当前时间", Kind::Label, In::Window, 16, 9, 64, 32, "当前时间："},
    {"透明标签显示时间", Kind::Label, In::Window, 80, 9, 152, 32, ""},
    {"透明标签开机时长", Kind::Label, In::Window, 272, 9, 64, 32, "开机时长："},
    {"透明标签开机时间", Kind::Label, In::Window, 344, 9, 88, 32, ""},
    {"透明标签当前时间2", Kind::Label, In::Window, 16, 40, 64, 32, "农历时间："},
    {"透明标签显示农历", Kind::Label, In::Window, 80, 40, 152, 32, ""},
    {"透明标签星期", Kind::Label, In::Window, 272, 41, 40, 32, "星期："},
    {"透明标签星期1", Kind::Label, In::Window, 312, 41, 40, 32, ""},
    {"动画框1", Kind::AnimationBox, In::Window, 432, 0, 112, 88, ""},
    {"动画物体1", Kind::AnimationObject, In::Window, 440, 0, 96, 80, ""},
    {kGroup1, Kind::GroupBox, In::Window, 8, 96, 544, 144, "关机设定"},
    {"单选框定时", Kind::RadioButton, In::Group1, 16, 20, 24, 20, ""},
    {"透明标签定时时间", Kind::Label, In::Group1, 40, 16, 72, 24, "每日即时定时："},
    {"日期框1", Kind::DateBox, In::Window, 136, 112, 144, 24, ""},
    {"编辑框时", Kind::SpinEditBox, In::Group1, 280, 16, 32, 24, "12", 1, 24},
    {"透明标签时", Kind::Label, In::Window, 344, 112, 16, 24, "时"},
    {"编辑框时分", Kind::SpinEditBox, In::Window, 360, 112, 32, 24, "12", 0, 59},
    {"透明标签分", Kind::Label, In::Window, 416, 112, 16, 24, "分"},
    {"编辑框时秒", Kind::SpinEditBox, In::Window, 432, 112, 32, 24, "12", 0, 59},
    {"透明标签分1", Kind::Label, In::Window, 488, 112, 16, 24, "秒"},
    {"按钮1", Kind::PushButton, In::Group1, 504, 8, 32, 32, "时间清零"},
    {"单选框开机后定时", Kind::RadioButton, In::Group1, 16, 56, 24, 24, ""},
    {"透明标签开机后定时", Kind::Label, In::Group1, 40, 56, 72, 24, "开机后  ："},
    {"编辑框开机后时", Kind::EditBox, In::Window, 136, 152, 80, 24, ""},
    {"透明标签5", Kind::Label, In::Group1, 216, 56, 80, 24, "小时（0-999）"},
    {"编辑框开机后分", Kind::EditBox, In::Window, 304, 152, 80, 24, ""},
    {"透明标签6", Kind::Label, In::Group1, 384, 56, 112, 24, "分（0-59）后关机"},
    {"单选框倒计时关机", Kind::RadioButton, In::Group1, 16, 96, 24, 24, ""},
    {"透明标签倒计时", Kind::Label, In::Group1, 40, 96, 80, 24, "倒计时关机："},
    {"编辑框倒计时", Kind::EditBox, In::Window, 136, 192, 64, 24, ""},
    {"透明标签7", Kind::Label, In::Group1, 200, 96, 72, 24, "小时（0-24）"},
    {"编辑框倒计分", Kind::EditBox, In::Window, 280, 192, 64, 24, ""},
    {"透明标签8", Kind::Label, In::Group1, 344, 96, 64, 24, "分（0-59）"},
    {"编辑框倒计秒", Kind::EditBox, In::Window, 410, 192, 64, 24, ""},
    {"透明标签9", Kind::Label, In::Group1, 474, 96, 64, 24, "秒（0-59）"},
    {kGroup2, Kind::GroupBox, In::Window, 8, 272, 544, 96, "电脑执行方式"},
    {"透明标签1", Kind::Label, In::Group2, 24, 24, 88, 24, "电脑执行方式："},
    {"组合框1", Kind::ComboBox, In::Group2, 112, 24, 152, 20, "关机|重启|注销|强制关机|关闭显示器"},
    {"透明标签4", Kind::Label, In::Group2, 296, 24, 80, 24, "执行次数："},
    {"组合框2", Kind::ComboBox, In::Group2, 368, 24, 152, 20, "执行一次|每日定时|每周定时"},
    {"选择框关机提示", Kind::CheckBox, In::Group2, 24, 56, 16, 24, ""},
    {"透明标签10", Kind::Label, In::Group2, 48, 56, 88, 24, "关机前提示"},
    {"透明标签2", Kind::Label, In::Group2, 168, 56, 96, 24, "执行前提示时间："},
    {"编辑框关机提示秒", Kind::EditBox, In::Window, 272, 336, 64, 24, ""},
    {"透明标签3", Kind::Label, In::Group2, 336, 56, 80, 24, "秒（0-59）"},
    {"按钮执行", Kind::PushButton, In::Window, 8, 384, 72, 32, "启动"},
    {"按钮取消", Kind::PushButton, In::Window, 102, 384, 72, 32, "取消"},
    {"按钮保存", Kind::PushButton, In::Window, 196, 384, 72, 32, "保存"},
    {"按钮皮肤", Kind::PushButton, In::Window, 290, 384, 72, 32, "换肤"},
    {"按钮保存立即执行", Kind::PushButton, In::Window, 384, 384, 72, 32, "立即执行"},
    {"按钮退出", Kind::PushButton, In::Window, 480, 384, 72, 32, "退出"},
    {"农历日期框1", Kind::LunarDateBox, In::Window, 536, 240, 8, 8, ""},
};

// The range of the program's date-time values.
const QDate kFirstDate(100, 1, 1);
const QDate kLastDate(9999, 12, 31);

QDateEdit* MakeDateBox(QDate today, QWidget* parent) {
    auto* box = new QDateEdit(parent);
    box->setDateRange(kFirstDate, kLastDate);
    box->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    box->setCalendarPopup(true);
    box->setDate(today);
    return box;
}

QWidget* MakeControl(const ControlPlace& place, QDate today, QWidget* parent) {
    const QString text = QString::fromUtf8(place.text);
    switch (place.kind) {
        case Kind::Label:
            return new ui::TransparentLabel(text, parent);
        case Kind::GroupBox:
            return new QGroupBox(text, parent);
        case Kind::RadioButton:
            return new QRadioButton(parent);
        case Kind::DateBox:
            return MakeDateBox(today, parent);
        case Kind::EditBox: {
            auto* edit = new QLineEdit(text, parent);
            edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return edit;
        }
        case Kind::SpinEditBox: {
            auto* edit = new ui::SpinEdit(place.spinMinimum, place.spinMaximum, parent);
            edit->setText(text);
            edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            return edit;
        }
        case Kind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            // A drop-down list with an edit field: Enter keeps the typed text
            // in the field and never adds it to the list.
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->addItems(text.split(QLatin1Char('|')));
            // The selection is made by the settings start-up step.
            combo->setCurrentIndex(-1);
            return combo;
        }
        case Kind::CheckBox:
            return new QCheckBox(parent);
        case Kind::PushButton:
            return new ui::PushButton(text, parent);
        case Kind::AnimationBox:
            return new ui::AnimationBox(parent);
        case Kind::AnimationObject: {
            auto* object = new ui::AnimationObject(QString::fromUtf8(kAnimationPicture), parent);
            object->hide();  // shown by the creation sequence
            return object;
        }
        case Kind::LunarDateBox: {
            // Holds the date the lunar labels are computed for; never shown.
            auto* box = MakeDateBox(today, parent);
            box->hide();
            return box;
        }
    }
    return nullptr;
}

}  // namespace

void BuildMainWindowControls(QWidget& window, QDate today) {
    QWidget* group1 = nullptr;
    QWidget* group2 = nullptr;
    auto* radioGroup = new QButtonGroup(&window);
    radioGroup->setExclusive(true);

    for (const ControlPlace& place : kControls) {
        QWidget* parent = place.in == In::Group1   ? group1
                          : place.in == In::Group2 ? group2
                                                   : &window;
        QWidget* control = MakeControl(place, today, parent);
        control->setObjectName(QString::fromUtf8(place.name));
        control->setGeometry(place.left, place.top, place.width, place.height);
        if (std::string_view{place.name} == kGroup1) {
            group1 = control;
        } else if (std::string_view{place.name} == kGroup2) {
            group2 = control;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            radioGroup->addButton(radio);
        }
    }

    // The window's own controls that lie over a group box must be drawn, and
    // take clicks, above it, whatever the order of the table; a spin edit's
    // arrows are window children too.
    const auto windowChildren = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* child : windowChildren) {
        if (qobject_cast<QGroupBox*>(child) == nullptr) {
            child->raise();
        }
    }

    for (const char* name : {"时钟1实施显示时间", "时钟2倒计时", "时钟次数1"}) {
        auto* timer = new QTimer(&window);
        timer->setObjectName(QString::fromUtf8(name));
    }
}

}  // namespace velmora::app
