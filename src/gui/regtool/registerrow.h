// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "setupfile/setupfile.h"

#include <QObject>
#include <QStringList>
#include <cstdint>

class QGridLayout;
class QLineEdit;

namespace vtx {

class LampWidget;
class ToolSession;
class MatchedBackground;

// One row of the register bank: register address, description, data to write with its lamp, byte last
// read with its lamp. The row carries out its own register read and write; the bank decides when.
class RegisterRow : public QObject {
    Q_OBJECT
public:
    // Builds the row's six widgets into `grid` at `gridRow`, owned by `frame`.
    RegisterRow(int index, QGridLayout& grid, int gridRow, QWidget* frame);

    int index() const { return m_index; }
    // The widgets that change at every whole-bank read and write paint their own background.
    void paintOwnBackgrounds(MatchedBackground& matched);

    // The whole-bank read takes a row whose address has exactly two characters (the write:
    // setupfile::rowWrite).
    bool takesPartInRead() const;

    void loadDefaults();
    setupfile::Row texts() const;
    void setTexts(const setupfile::Row& texts);

    QString readText() const;
    void setReadText(const QString& text);
    QString writeText() const;
    void setWriteText(const QString& text);

    // What a row's transfer came to, for the bank to decide whether to go on. The link's messages are left
    // to the caller to tell.
    struct Outcome {
        bool linkFailed = false; // the link itself failed: the rows after this one cannot do better
        QStringList linkMessages;
    };

    // One register read: the byte lands in the read box, the read lamp shows the outcome.
    Outcome readRegister(ToolSession& session);
    // One register write of `data`: the write lamp shows the outcome. A row whose address is not two hex
    // digits sends nothing and shows a failure.
    Outcome writeRegister(ToolSession& session, std::uint8_t data);
    // A row left out of a write because its texts are not bytes: nothing sent, the write lamp light red.
    void showWriteRefused();
    // Whether the address text is a two-digit hex byte, the only register address a whole-bank transfer
    // sends.
    bool hasRegisterByte() const;
    void showReadRefused();
    // Both lamps black: a row the bank did not reach.
    void clearLamps();

    // A row left out of the whole-bank read shows no read box and no read lamp, and of the whole-bank
    // write no write lamp.
    void showReadResult();
    void hideReadResult();
    void hideWriteLamp();

signals:
    void readClicked(int index);
    void writeRequested(int index);
    // The address, description or write text changed: the texts a setup file keeps as the user's.
    void editableTextChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const int m_index;
    QLineEdit* m_address;
    QLineEdit* m_description;
    QLineEdit* m_write;
    LampWidget* m_writeLamp;
    QLineEdit* m_read;
    LampWidget* m_readLamp;
};

} // namespace vtx
