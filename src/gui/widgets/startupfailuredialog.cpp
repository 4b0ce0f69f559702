// SPDX-License-Identifier: GPL-3.0-or-later
#include "startupfailuredialog.h"

#include "common/appinfo.h"

#include <QMessageBox>
#include <QPushButton>

namespace vtx {

namespace {

const char* const kChoiceProperty = "startupChoice";

} // namespace

std::unique_ptr<QMessageBox> startupFailureBox(QWidget* parent, const StartupFailure& failure)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, kApplicationTitle, failure.text,
                                             QMessageBox::NoButton, parent);
    box->setObjectName(QStringLiteral("startupFailure"));
    box->setInformativeText(failure.explanation);
    box->setDetailedText(failure.details);
    // The explanation may hold a command to copy from it.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const auto add = [&box](const QString& text, QMessageBox::ButtonRole role, StartupChoice choice) {
        QPushButton* const button = box->addButton(text, role);
        button->setProperty(kChoiceProperty, static_cast<int>(choice));
        return button;
    };
    box->setDefaultButton(add(QStringLiteral("Retry"), QMessageBox::AcceptRole, StartupChoice::Retry));
    add(QStringLiteral("Use simulated board"), QMessageBox::ActionRole, StartupChoice::UseSimulatedBoard);
    box->setEscapeButton(add(QStringLiteral("Quit"), QMessageBox::RejectRole, StartupChoice::Quit));
    return box;
}

StartupChoice QtStartupFailureDialogs::ask(QWidget* parent, const StartupFailure& failure)
{
    const auto box = startupFailureBox(parent, failure);
    box->exec();
    const QAbstractButton* const clicked = box->clickedButton();
    if (!clicked)
        return StartupChoice::Quit;
    return static_cast<StartupChoice>(clicked->property(kChoiceProperty).toInt());
}

StartupFailureDialogs& qtStartupFailureDialogs()
{
    static QtStartupFailureDialogs dialogs;
    return dialogs;
}

} // namespace vtx
