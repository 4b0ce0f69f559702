// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "numbers.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace vtx::cli {

// The words after a command's name: its options (taken out wherever they stand) and its positional
// arguments, with the first usage error kept.
class CommandWords {
public:
    explicit CommandWords(QStringList words) : m_words(std::move(words)) {}

    // The first word, when it names a sub-command ("get" in "dcp get"); empty when there is none.
    QString takeSubcommand();
    bool takeFlag(const QString& flag);
    // The word after `option`; nothing when the option is not given (or has no value: an error).
    std::optional<QString> takeOption(const QString& option);
    // Called once every option is taken: the positional arguments, or nothing (an error) when a word
    // that looks like an option is left or there are fewer than `minimum` or more than `maximum`.
    std::optional<QStringList> positional(int minimum, int maximum);

    // A number argument; nothing (an error) when it is not of its kind.
    std::optional<int> number(const QString& name, const QString& text, const NumberKind& kind);

    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    void fail(const QString& error);

private:
    QStringList m_words;
    QString m_error;
};

} // namespace vtx::cli
