#include "skin/skin_format.h"

#include <functional>

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>

namespace velmora::skin {

namespace {

struct RoleName {
    const char* name;
    QPalette::ColorRole role;
};

constexpr RoleName kRoles[] = {
    {"Window", QPalette::Window},
    {"WindowText", QPalette::WindowText},
    {"Base", QPalette::Base},
    {"AlternateBase", QPalette::AlternateBase},
    {"Text", QPalette::Text},
    {"Button", QPalette::Button},
    {"ButtonText", QPalette::ButtonText},
    {"BrightText", QPalette::BrightText},
    {"Highlight", QPalette::Highlight},
    {"HighlightedText", QPalette::HighlightedText},
    {"ToolTipBase", QPalette::ToolTipBase},
    {"ToolTipText", QPalette::ToolTipText},
    {"PlaceholderText", QPalette::PlaceholderText},
    {"Link", QPalette::Link},
    {"LinkVisited", QPalette::LinkVisited},
    {"Light", QPalette::Light},
    {"Midlight", QPalette::Midlight},
    {"Mid", QPalette::Mid},
    {"Dark", QPalette::Dark},
    {"Shadow", QPalette::Shadow},
};

constexpr QLatin1StringView kSeparator(": ");

std::optional<QColor> ColourOf(const QString& text) {
    static const QRegularExpression kColour(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!kColour.match(text).hasMatch()) {
        return std::nullopt;
    }
    return QColor::fromString(text);
}

std::optional<int> NumberOf(const QString& text, int maximum) {
    static const QRegularExpression kNumber(QStringLiteral("^[0-9]{1,2}$"));
    if (!kNumber.match(text).hasMatch()) {
        return std::nullopt;
    }
    const int number = text.toInt();
    return number <= maximum ? std::optional<int>(number) : std::nullopt;
}

// "#dfe3e9", or "0 #eceef2, 0.5 #e4e8ed, 1 #dfe3e9".
std::optional<QGradientStops> FaceOf(const QString& text) {
    if (const std::optional<QColor> solid = ColourOf(text)) {
        return QGradientStops{{0.0, *solid}};
    }
    QGradientStops stops;
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString& part : parts) {
        const QStringList pair = part.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool isNumber = false;
        const double position = pair.size() == 2 ? pair[0].toDouble(&isNumber) : -1.0;
        const std::optional<QColor> colour =
            pair.size() == 2 ? ColourOf(pair[1]) : std::optional<QColor>();
        const bool rising = stops.isEmpty() || position > stops.last().first;
        if (!isNumber || position < 0.0 || position > 1.0 || !rising || !colour) {
            return std::nullopt;
        }
        stops.append({position, *colour});
    }
    return stops;
}

// A reader of one key's value into the skin: false when the value is out of
// form.
using Reader = std::function<bool(const QString& value, Skin& skin)>;

Reader Colour(std::optional<QColor> SkinLook::*field) {
    return [field](const QString& value, Skin& skin) {
        skin.look.*field = ColourOf(value);
        return (skin.look.*field).has_value();
    };
}

Reader ColourOrNone(std::optional<QColor> SkinLook::*field) {
    return [field](const QString& value, Skin& skin) {
        if (value == QLatin1StringView("none")) {
            skin.look.*field = std::nullopt;
            return true;
        }
        skin.look.*field = ColourOf(value);
        return (skin.look.*field).has_value();
    };
}

Reader Face(QGradientStops SkinLook::*field) {
    return [field](const QString& value, Skin& skin) {
        const std::optional<QGradientStops> stops = FaceOf(value);
        if (stops) {
            skin.look.*field = *stops;
        }
        return stops.has_value();
    };
}

Reader Number(int SkinLook::*field, int maximum) {
    return [field, maximum](const QString& value, Skin& skin) {
        const std::optional<int> number = NumberOf(value, maximum);
        if (number) {
            skin.look.*field = *number;
        }
        return number.has_value();
    };
}

Reader Choice(bool SkinLook::*field, const char* no, const char* yes) {
    return [field, no, yes](const QString& value, Skin& skin) {
        if (value != QLatin1StringView(no) && value != QLatin1StringView(yes)) {
            return false;
        }
        skin.look.*field = value == QLatin1StringView(yes);
        return true;
    };
}

Reader ReaderFor(const QString& key) {
    if (key == QLatin1StringView("Name")) {
        return [](const QString& value, Skin& skin) {
            skin.name = value;
            return true;
        };
    }
    if (const std::optional<QPalette::ColorRole> role = RoleNamed(key)) {
        return [role = *role](const QString& value, Skin& skin) {
            const std::optional<QColor> colour = ColourOf(value);
            if (colour) {
                skin.colours.emplace_back(role, *colour);
            }
            return colour.has_value();
        };
    }
    const struct {
        const char* key;
        Reader reader;
    } kLookKeys[] = {
        {"ButtonFace", Face(&SkinLook::buttonFace)},
        {"ButtonHoverFace", Face(&SkinLook::buttonHoverFace)},
        {"ButtonPressedFace", Face(&SkinLook::buttonPressedFace)},
        {"ButtonBorder", Colour(&SkinLook::buttonBorder)},
        {"ButtonRadius", Number(&SkinLook::buttonRadius, kMaximumRadius)},
        {"Edges", Choice(&SkinLook::raisedEdges, "flat", "raised")},
        {"BorderWidth", Number(&SkinLook::borderWidth, kMaximumBorderWidth)},
        {"FieldBorder", Colour(&SkinLook::fieldBorder)},
        {"FieldRadius", Number(&SkinLook::fieldRadius, kMaximumRadius)},
        {"FocusBorder", Colour(&SkinLook::focusBorder)},
        {"GroupFill", ColourOrNone(&SkinLook::groupFill)},
        {"GroupBorder", ColourOrNone(&SkinLook::groupBorder)},
        {"GroupRadius", Number(&SkinLook::groupRadius, kMaximumRadius)},
        {"GroupRule", Choice(&SkinLook::groupRule, "no", "yes")},
        {"GroupTitle", Colour(&SkinLook::groupTitle)},
    };
    for (const auto& entry : kLookKeys) {
        if (key == QLatin1StringView(entry.key)) {
            return entry.reader;
        }
    }
    return {};
}

std::optional<Skin> Fail(QString* error, qsizetype line, const QString& why) {
    if (error != nullptr) {
        *error = QStringLiteral("line %1: %2").arg(line).arg(why);
    }
    return std::nullopt;
}

// A colour of `from` moved `share` (0 to 1) of the way to `to`.
QColor Mix(const QColor& from, const QColor& to, double share) {
    const auto channel = [share](int a, int b) {
        return static_cast<int>(a + (b - a) * share + 0.5);
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

}  // namespace

std::optional<QColor> Skin::colour(QPalette::ColorRole role) const {
    for (const auto& [given, value] : colours) {
        if (given == role) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<QPalette::ColorRole> RoleNamed(QStringView name) {
    for (const RoleName& entry : kRoles) {
        if (name == QLatin1StringView(entry.name)) {
            return entry.role;
        }
    }
    return std::nullopt;
}

std::optional<Skin> ParseSkin(QByteArrayView bytes, QString* error) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return Fail(error, 1, QStringLiteral("not UTF-8 text"));
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    if (lines.first() != QLatin1StringView(kSkinFirstLine)) {
        return Fail(error, 1,
                    QStringLiteral("not a skin: the first line must read %1")
                        .arg(QLatin1StringView(kSkinFirstLine)));
    }

    Skin skin;
    QStringList seen;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype separator = line.indexOf(kSeparator);
        if (separator <= 0) {
            return Fail(error, i + 1, QStringLiteral("expected \"Key: value\""));
        }
        const QString key = line.first(separator);
        const QString value = line.sliced(separator + kSeparator.size()).trimmed();
        if (seen.contains(key)) {
            return Fail(error, i + 1, QStringLiteral("%1 given twice").arg(key));
        }
        seen.append(key);
        const Reader reader = ReaderFor(key);
        if (!reader) {
            return Fail(error, i + 1, QStringLiteral("unknown key %1").arg(key));
        }
        if (!reader(value, skin)) {
            return Fail(error, i + 1,
                        QStringLiteral("%1: %2 is out of form or range").arg(key, value));
        }
    }
    return skin;
}

QPalette SkinPalette(const Skin& skin, const QPalette& base) {
    QPalette palette = base;
    for (const auto& [role, colour] : skin.colours) {
        palette.setColor(role, colour);
    }
    // The bevel shades a style draws edges with, as QPalette's own constructor
    // derives them from a button colour.
    const QColor button = palette.color(QPalette::Active, QPalette::Button);
    const struct {
        QPalette::ColorRole role;
        QColor derived;
    } kShades[] = {
        {QPalette::Light, button.lighter(150)}, {QPalette::Midlight, button.lighter(115)},
        {QPalette::Mid, button.darker(150)},    {QPalette::Dark, button.darker(200)},
        {QPalette::Shadow, button.darker(300)},
    };
    for (const auto& shade : kShades) {
        if (!skin.colour(shade.role)) {
            palette.setColor(shade.role, shade.derived);
        }
    }
    // Disabled controls still show their text, faintly: 45 % of the way to the
    // background.
    const struct {
        QPalette::ColorRole text;
        QPalette::ColorRole background;
    } kTexts[] = {
        {QPalette::WindowText, QPalette::Window},
        {QPalette::Text, QPalette::Base},
        {QPalette::ButtonText, QPalette::Button},
    };
    for (const auto& pair : kTexts) {
        palette.setColor(QPalette::Disabled, pair.text,
                         Mix(palette.color(QPalette::Active, pair.text),
                             palette.color(QPalette::Active, pair.background), 0.45));
    }
    return palette;
}

}  // namespace velmora::skin
