// The file-type module: the shared MIME database through QtCore's
// QMimeDatabase, behind the two C entries of platform/mime_types.h.

#include "platform/mime_types.h"

#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

namespace {

QString fromUtf8(const char* text, std::size_t length) {
    return QString::fromUtf8(text, static_cast<qsizetype>(length));
}

bool answer(const QString& text, KestroTakeText take, void* context) {
    const QByteArray bytes = text.toUtf8();
    take(context, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) bool
kestro_mime_type_of_name(const char* name, std::size_t length, KestroTakeText take, void* context) {
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(fromUtf8(name, length), QMimeDatabase::MatchExtension);
    // The default type (application/octet-stream) means nothing matched.
    return type.isValid() && !type.isDefault() && answer(type.name(), take, context);
}

extern "C" __attribute__((visibility("default"))) bool
kestro_mime_type_comment(const char* name, std::size_t length, KestroTakeText take, void* context) {
    const QMimeType type = QMimeDatabase().mimeTypeForName(fromUtf8(name, length));
    return type.isValid() && answer(type.comment(), take, context);
}
