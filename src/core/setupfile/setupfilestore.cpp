// SPDX-License-Identifier: GPL-3.0-or-later
#include "setupfilestore.h"

#include "common/wholefile.h"

#include <QDir>
#include <QStringDecoder>

namespace vtx::setupfile {

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// Windows editors save "Unicode" text as UTF-16 with a byte order mark; such a copy of a setup file reads as
// the file it was made from.
QByteArray utf8FromUtf16(const QByteArray& bytes)
{
    const bool littleEndian = bytes.startsWith("\xFF\xFE");
    if (!littleEndian && !bytes.startsWith("\xFE\xFF"))
        return bytes;
    QStringDecoder utf16(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                         QStringDecoder::Flag::Stateless);
    const QString text = utf16.decode(bytes.sliced(2));
    // Broken UTF-16 stays as it was and is refused for what it is.
    return utf16.hasError() ? bytes : text.toUtf8();
}

} // namespace

LoadResult loadFile(const QString& path)
{
    const WholeFileRead read = readWholeFile(path);
    const auto notASetupFile = [&path](const QString& why) {
        return LoadResult{std::nullopt,
                          QStringLiteral("The file \"%1\" is not a setup file: %2. Nothing was changed.")
                              .arg(shownPath(path), why)};
    };
    if (read.problem == WholeFileRead::Problem::TooLarge)
        return notASetupFile(read.error);
    if (!read.error.isEmpty()) {
        return {std::nullopt,
                QStringLiteral("The setup file \"%1\" could not be opened: %2. Nothing was changed.")
                    .arg(shownPath(path), read.error)};
    }
    const QByteArray bytes = utf8FromUtf16(read.bytes);
    // No text we write or read holds a NUL: these bytes are something else (or UTF-16 without its mark).
    if (bytes.contains('\0'))
        return notASetupFile(QStringLiteral("it holds binary data, not text"));
    const bool setupShaped = looksLikeSetupFile(bytes);
    Decoded decoded = decode(bytes);
    if (!decoded.setup) {
        return {
            std::nullopt,
            QStringLiteral("The setup file \"%1\" is incomplete: it holds %2 of the %3 fields a setup needs. "
                           "Nothing was changed.")
                .arg(shownPath(path))
                .arg(decoded.fieldsFound)
                .arg(kFieldCount),
            true, setupShaped};
    }
    return {std::move(decoded.setup), {}, true, setupShaped};
}

std::optional<QString> saveFile(const QString& path, const Setup& setup)
{
    if (const auto problem = findUnsavableText(setup))
        return refusalMessage(*problem);

    const auto failed = [&path](const QString& reason) {
        return QStringLiteral(
                   "The setup file \"%1\" could not be saved: %2. Any earlier file of that name is "
                   "unchanged.")
            .arg(shownPath(path), reason);
    };
    if (const auto reason = writeWholeFile(path, encode(setup)))
        return failed(*reason);
    return std::nullopt;
}

} // namespace vtx::setupfile
