// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;

namespace vtx::shell {

class BoardPicture;

// `EvalPicture`: a passive window with our drawing of the evaluation board, pin 1 of each jumper marked in
// red, and the two jumper notes beside it.
class EvalPicture final : public QWidget {
    Q_OBJECT
public:
    explicit EvalPicture(const QString& bannerText, QWidget* parent = nullptr);

    // Shows the window centred on `opener` (or where it is when shown again) and brings it forward.
    void showFor(QWidget* opener);

    BoardPicture* picture() const { return m_picture; }

private:
    BoardPicture* m_picture;
    bool m_placed = false;
};

} // namespace vtx::shell
