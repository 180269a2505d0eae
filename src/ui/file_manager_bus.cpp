// The desktop's file manager, asked over the session bus to show files.

#include "ui/pane_actions.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

#include <filesystem>

namespace kestro {

namespace {

// A file URI of `path`: every byte but the unreserved ones and "/"
// percent-encoded, so that a name that is not UTF-8 keeps its bytes.
QString fileUri(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/') {
        std::error_code failed;
        absolute = (std::filesystem::current_path(failed) / path).string();
    }
    const QByteArray bytes(absolute.data(), static_cast<qsizetype>(absolute.size()));
    return QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"));
}

} // namespace

bool showItemsOnSessionBus(const std::vector<std::string>& files) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QStringList uris;
    for (const std::string& file : files)
        uris << fileUri(file);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    // A file manager started for the call may take a moment; none at all
    // answers at once with an error.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace kestro
