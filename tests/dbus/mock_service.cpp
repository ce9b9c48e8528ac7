#include "mock_service.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QMetaType>
#include <QThread>

#include <gtest/gtest.h>

namespace velmora::test {

namespace {

const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

// Long enough for a Python interpreter on a busy machine; only a broken mock
// ever takes it.
constexpr int kStartLimitMs = 30'000;

}  // namespace

QDBusConnection Connection(Bus bus) {
    return bus == Bus::System ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool HasOwner(Bus bus, const QString& name) {
    const QDBusConnectionInterface* daemon = Connection(bus).interface();
    return daemon != nullptr && daemon->isServiceRegistered(name).value();
}

QString Describe(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        return Describe(qvariant_cast<QDBusVariant>(value).variant());
    }
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return QStringLiteral("o ") + qvariant_cast<QDBusObjectPath>(value).path();
    }
    switch (value.metaType().id()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("b true") : QStringLiteral("b false");
        case QMetaType::UInt:
            return QStringLiteral("u ") + value.toString();
        case QMetaType::Int:
            return QStringLiteral("i ") + value.toString();
        case QMetaType::QString:
            return QStringLiteral("s ") + value.toString();
        default:
            return QStringLiteral("? ") + QString::fromLatin1(value.metaType().name());
    }
}

QStringList Calls(Bus bus, const QString& busName, const QString& path) {
    const QDBusMessage reply = Connection(bus).call(
        QDBusMessage::createMethodCall(busName, path, kMockInterface, QStringLiteral("GetCalls")));
    QStringList calls;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {QStringLiteral("(no call list)")};
    }
    // a(tsav): time, method, arguments
    const QDBusArgument list = qvariant_cast<QDBusArgument>(reply.arguments().first());
    list.beginArray();
    while (!list.atEnd()) {
        qulonglong time = 0;
        QString method;
        QStringList arguments;
        list.beginStructure();
        list >> time >> method;
        list.beginArray();
        while (!list.atEnd()) {
            QDBusVariant argument;
            list >> argument;
            arguments << Describe(argument.variant());
        }
        list.endArray();
        list.endStructure();
        calls << method + QLatin1Char('(') + arguments.join(QStringLiteral(", ")) +
                     QLatin1Char(')');
    }
    list.endArray();
    return calls;
}

Mock::Mock(Bus bus, QString busName, const QStringList& arguments)
    : m_bus(bus), m_busName(std::move(busName)) {
    // dbusmock logs every call to its output; only the call list is read.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"),
                    QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
    if (!m_process.waitForStarted()) {
        return;
    }
    const QDeadlineTimer limit(kStartLimitMs);
    while (!limit.hasExpired() && m_process.state() == QProcess::Running) {
        if (HasOwner(m_bus, m_busName)) {
            m_started = true;
            return;
        }
        QThread::msleep(10);
    }
}

Mock::~Mock() {
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(-1);
    }
}

std::unique_ptr<Mock> Mock::fromTemplate(Bus bus, const QString& busName,
                                         const QString& templateName, const QString& parameters) {
    const QString file = templateName.endsWith(QLatin1String(".py"))
                             ? MockTemplateFolder() + templateName
                             : templateName;
    QStringList arguments{
        bus == Bus::System ? QStringLiteral("--system") : QStringLiteral("--session"),
        QStringLiteral("--template"), file};
    if (!parameters.isEmpty()) {
        arguments << QStringLiteral("--parameters") << parameters;
    }
    return std::make_unique<Mock>(bus, busName, arguments);
}

QDBusMessage Mock::mockCall(const QString& path, const QString& method,
                            const QVariantList& arguments) const {
    QDBusMessage message = QDBusMessage::createMethodCall(m_busName, path, kMockInterface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = Connection(m_bus).call(message);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        ADD_FAILURE() << "the mock " << m_busName.toStdString() << " refused "
                      << method.toStdString() << " on " << path.toStdString() << ": "
                      << reply.errorMessage().toStdString();
    }
    return reply;
}

void Mock::clearCalls(const QString& path) const {
    mockCall(path, QStringLiteral("ClearCalls"), {});
}

void Mock::setMethod(const QString& path, const QString& interface, const QString& name,
                     const QString& inSignature, const QString& outSignature,
                     const QString& code) const {
    mockCall(path, QStringLiteral("AddMethod"), {interface, name, inSignature, outSignature, code});
}

void Mock::refuse(const QString& path, const QString& interface, const QString& name,
                  const QString& inSignature, const QString& errorName) const {
    setMethod(path, interface, name, inSignature, QString(),
              QStringLiteral("raise dbus.exceptions.DBusException('refused by the test', "
                             "name='%1')")
                  .arg(errorName));
}

void Mock::addTemplate(const QString& path, const QString& templateName) const {
    mockCall(path, QStringLiteral("AddTemplate"),
             {MockTemplateFolder() + templateName, QVariant::fromValue(QVariantMap{})});
}

QString MockTemplateFolder() {
    return QStringLiteral(VELMORA_DBUS_MOCK_DIR "/");
}

}  // namespace velmora::test
