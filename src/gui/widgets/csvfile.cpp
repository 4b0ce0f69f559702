// SPDX-License-Identifier: GPL-3.0-or-later
#include "csvfile.h"

#include <algorithm>

namespace vtx {

QString csvField(const QString& text)
{
    static const QString needsQuotes = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return needsQuotes.contains(c); }))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    quoted.reserve(fields.size());
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

FileDialogRequest csvSaveRequest(const QString& title, const QString& fileName)
{
    return FileDialogRequest{
        .title = title,
        .fileName = fileName,
        .nameFilters = {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")},
        .selectedFilter = 0,
        .defaultSuffix = QStringLiteral("csv"),
        .directory = QString(),
    };
}

} // namespace vtx
