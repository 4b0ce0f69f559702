// SPDX-License-Identifier: GPL-3.0-or-later
#include "setupfilestore.h"

#include "common/wholefile.h"

#include <QDir>
#include <QFile>

namespace vtx::setupfile {

namespace {

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

LoadResult loadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {std::nullopt,
                QStringLiteral("The setup file \"%1\" could not be opened: %2. Nothing was changed.")
                    .arg(shownPath(path), file.errorString())};
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return {std::nullopt,
                QStringLiteral("The setup file \"%1\" could not be read: %2. Nothing was changed.")
                    .arg(shownPath(path), file.errorString())};
    }
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
