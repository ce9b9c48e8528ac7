#pragma once

// Mock D-Bus services played by python-dbusmock, for the tests of the D-Bus
// power backend. Every mock is a process of its own, started by the test and
// ended by its id when the Mock object goes, also when a test fails.

#include <memory>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace velmora::test {

enum class Bus { System, Session };

QDBusConnection Connection(Bus bus);

// Whether name has an owner on the bus now.
bool HasOwner(Bus bus, const QString& name);

// The calls the object at path of the mock service busName has received, in
// order, each as "Method(type value, …)", e.g. "Logout(u 1)".
QStringList Calls(Bus bus, const QString& busName, const QString& path);

// A value as "type value", the way the call lists below show arguments:
// "b true", "u 1", "i 0", "s c1", "o /a/b".
QString Describe(const QVariant& value);

class Mock {
public:
    // `python3 -m dbusmock arguments…`; waits until busName has an owner.
    // started() is false when it never got there.
    Mock(Bus bus, QString busName, const QStringList& arguments);
    ~Mock();
    Mock(const Mock&) = delete;
    Mock& operator=(const Mock&) = delete;

    // A mock of one of the templates in tests/dbus/mocks (or dbusmock's own,
    // such as "logind"), with a JSON object of parameters.
    static std::unique_ptr<Mock> fromTemplate(Bus bus, const QString& busName,
                                              const QString& templateName,
                                              const QString& parameters = {});

    bool started() const { return m_started; }
    const QString& busName() const { return m_busName; }

    QStringList calls(const QString& path) const { return Calls(m_bus, m_busName, path); }
    void clearCalls(const QString& path) const;

    // Replaces (or adds) a method; code is Python run by dbusmock with the
    // arguments in `args` and the result in `ret`.
    void setMethod(const QString& path, const QString& interface, const QString& name,
                   const QString& inSignature, const QString& outSignature,
                   const QString& code) const;
    // Replaces a method by one that answers with the D-Bus error errorName.
    void refuse(const QString& path, const QString& interface, const QString& name,
                const QString& inSignature, const QString& errorName) const;
    // Loads one more template into the object at path.
    void addTemplate(const QString& path, const QString& templateName) const;

    // A call on the org.freedesktop.DBus.Mock interface; the reply. A refusal
    // fails the running test.
    QDBusMessage mockCall(const QString& path, const QString& method,
                          const QVariantList& arguments) const;

private:
    Bus m_bus;
    QString m_busName;
    QProcess m_process;
    bool m_started = false;
};

// The folder of the templates above, with a slash at its end.
QString MockTemplateFolder();

}  // namespace velmora::test
