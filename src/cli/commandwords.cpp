// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandwords.h"

namespace vtx::cli {

QString CommandWords::takeSubcommand()
{
    if (m_words.isEmpty() || m_words.constFirst().startsWith(QLatin1Char('-')))
        return {};
    return m_words.takeFirst();
}

bool CommandWords::takeFlag(const QString& flag)
{
    return m_words.removeAll(flag) > 0;
}

std::optional<QString> CommandWords::takeOption(const QString& option)
{
    const auto at = m_words.indexOf(option);
    if (at < 0)
        return std::nullopt;
    if (at + 1 >= m_words.size()) {
        fail(QStringLiteral("%1 needs a value").arg(option));
        m_words.removeAt(at);
        return std::nullopt;
    }
    const QString value = m_words.at(at + 1);
    m_words.remove(at, 2);
    return value;
}

std::optional<QStringList> CommandWords::positional(int minimum, int maximum)
{
    for (const QString& word : m_words) {
        if (word.startsWith(QLatin1String("--"))) {
            fail(QStringLiteral("unknown option '%1' for this command").arg(word));
            return std::nullopt;
        }
    }
    if (m_words.size() < minimum) {
        fail(QStringLiteral("missing argument"));
        return std::nullopt;
    }
    if (m_words.size() > maximum) {
        fail(QStringLiteral("unexpected argument '%1'").arg(m_words.at(maximum)));
        return std::nullopt;
    }
    return m_words;
}

std::optional<int> CommandWords::number(const QString& name, const QString& text, const NumberKind& kind)
{
    const ParsedNumber parsed = parseArgument(name, text, kind);
    if (!parsed.value)
        fail(parsed.error);
    return parsed.value;
}

void CommandWords::fail(const QString& error)
{
    if (m_error.isEmpty())
        m_error = error;
}

} // namespace vtx::cli
