// SPDX-License-Identifier: GPL-3.0-or-later
#include "setupfile.h"

#include <QStringDecoder>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace vtx::setupfile {

namespace {

const QString kHeader = QStringLiteral("I2C ADDRESS , ");
const QString kLineEnd = QStringLiteral("\r\n");
constexpr QChar kQuote = u'"';
constexpr QChar kComma = u',';

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool needsQuotes(const QString& text)
{
    return text.contains(kComma) || (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())));
}

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five codes it leaves unassigned keep their
// Latin-1 (C1 control) meaning.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text.append(b >= 0x80 && b < 0xA0 ? QChar(kWindows1252High[b - 0x80]) : QChar(b));
    }
    return text;
}

// Splits the text into at most `wanted` fields the way the tool has always read its setup files.
std::vector<QString> readFields(const QString& text, int wanted)
{
    std::vector<QString> fields;
    const qsizetype n = text.size();
    qsizetype pos = 0;
    bool commaPromisesField = false; // a comma is always followed by a field, even an empty one at the end
    while (static_cast<int>(fields.size()) < wanted) {
        while (pos < n && isBlank(text[pos]))
            ++pos;
        if (pos >= n && !commaPromisesField)
            break;

        QString field;
        if (pos < n && text[pos] == kQuote) {
            const qsizetype close = text.indexOf(kQuote, pos + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? n : close + 1;
            // Whatever stands between the closing quote and the delimiter is not part of the field.
            while (pos < n && text[pos] != kComma && !isLineEnd(text[pos]))
                ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < n && text[pos] != kComma && !isLineEnd(text[pos]))
                ++pos;
            field = text.mid(start, pos - start);
            while (!field.isEmpty() && isBlank(field.back()))
                field.chop(1);
        }
        fields.push_back(field);

        commaPromisesField = false;
        if (pos < n) {
            if (text[pos] == kComma) {
                ++pos;
                commaPromisesField = true;
            } else if (text[pos] == u'\r') {
                ++pos;
                if (pos < n && text[pos] == u'\n')
                    ++pos;
            } else {
                ++pos; // a bare LF
            }
        }
    }
    return fields;
}

} // namespace

std::optional<Unsavable> unsavableReason(const QString& text)
{
    if (!text.isValidUtf16())
        return Unsavable::BrokenCharacter;
    if (text.contains(u'\r') || text.contains(u'\n'))
        return Unsavable::LineBreak;
    const bool hasQuote = text.contains(kQuote);
    if (hasQuote && text.contains(kComma))
        return Unsavable::CommaAndQuote;
    if (text.startsWith(kQuote))
        return Unsavable::LeadingQuote;
    if (hasQuote && needsQuotes(text))
        return Unsavable::QuoteAndEdgeBlank;
    return std::nullopt;
}

std::optional<UnsavableText> findUnsavableText(const Setup& setup)
{
    if (const auto reason = unsavableReason(setup.i2cAddress))
        return UnsavableText{QStringLiteral("I2C address"), *reason};
    for (int r = 0; r < kRegisterRowCount; ++r) {
        const Row& row = setup.rows[static_cast<std::size_t>(r)];
        const std::pair<const QString*, const char*> fields[] = {
            {&row.address, "register address"},
            {&row.description, "description"},
            {&row.writeData, "write data"},
            {&row.readData, "read data"},
        };
        for (const auto& [text, name] : fields) {
            if (const auto reason = unsavableReason(*text))
                return UnsavableText{QStringLiteral("%1 of row %2").arg(QLatin1String(name)).arg(r), *reason};
        }
    }
    return std::nullopt;
}

QString refusalMessage(const UnsavableText& problem)
{
    QString what;
    switch (problem.reason) {
    case Unsavable::LineBreak:
        what = QStringLiteral("a line break");
        break;
    case Unsavable::CommaAndQuote:
        what = QStringLiteral("both a comma and a double quote");
        break;
    case Unsavable::LeadingQuote:
        what = QStringLiteral("a double quote at its start");
        break;
    case Unsavable::QuoteAndEdgeBlank:
        what = QStringLiteral("a double quote and a blank at its start or end");
        break;
    case Unsavable::BrokenCharacter:
        what = QStringLiteral("a broken character (half of a UTF-16 surrogate pair)");
        break;
    }
    return QStringLiteral("The setup was not saved: the %1 holds %2, which a setup file cannot carry. "
                          "Change that text and save again.")
        .arg(problem.where, what);
}

QString fieldText(const QString& text)
{
    return needsQuotes(text) ? kQuote + text + kQuote : text;
}

QByteArray encode(const Setup& setup)
{
    QString text = kHeader + fieldText(setup.i2cAddress) + kLineEnd;
    for (const Row& row : setup.rows) {
        text += QStringList{fieldText(row.address), fieldText(row.description), fieldText(row.writeData),
                            fieldText(row.readData)}
                    .join(kComma);
        text += kLineEnd;
    }
    return text.toUtf8();
}

bool looksLikeSetupFile(const QByteArray& bytes)
{
    const QString text = decodeText(bytes);
    const bool control = std::any_of(
        text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 && c != u'\t' && !isLineEnd(c); });
    if (control)
        return false;
    const qsizetype lineEnd = std::find_if(text.begin(), text.end(), isLineEnd) - text.begin();
    return readFields(text.first(lineEnd), 3).size() == 2;
}

Decoded decode(const QByteArray& bytes)
{
    const std::vector<QString> fields = readFields(decodeText(bytes), kFieldCount);
    Decoded result;
    result.fieldsFound = static_cast<int>(fields.size());
    if (result.fieldsFound < kFieldCount)
        return result;

    Setup setup;
    setup.i2cAddress = fields[1]; // fields[0] is the header word, which we do not examine
    for (std::size_t r = 0; r < setup.rows.size(); ++r) {
        const std::size_t first = 2 + 4 * r;
        setup.rows[r] = Row{fields[first], fields[first + 1], fields[first + 2], fields[first + 3]};
    }
    result.setup = std::move(setup);
    return result;
}

QString decodeText(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the very end is an error too, not something kept back for more
    // input, so a Windows-1252 file ending in "é" is not read as UTF-8 with its last letter dropped.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

} // namespace vtx::setupfile
