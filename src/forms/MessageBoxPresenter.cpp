#include "forms/MessageBoxPresenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace qs::forms {

namespace {

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString boxText(const std::string& text) {
    return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

MsgAnswer QtMessageBoxPresenter::present(MsgIcon icon, MsgButtons buttons, const std::string& title,
                                         const std::string& text) {
    return presentWithCheck(icon, buttons, title, text, {}).answer;
}

CheckedAnswer QtMessageBoxPresenter::presentWithCheck(MsgIcon icon, MsgButtons buttons,
                                                      const std::string& title,
                                                      const std::string& text,
                                                      const std::string& check) {
    QMessageBox box(qtIcon(icon), QString::fromStdString(title), boxText(text),
                    QMessageBox::NoButton, QApplication::activeWindow());
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    if (!check.empty())
        box.setCheckBox(new QCheckBox(QString::fromStdString(check)));
    box.exec();
    const bool checked = box.checkBox() != nullptr && box.checkBox()->isChecked();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return {MsgAnswer::Ok, checked};
    case QMessageBox::Yes:
        return {MsgAnswer::Yes, checked};
    case QMessageBox::No:
        return {MsgAnswer::No, checked};
    default:
        // Closed without a button: the box's escape answer.
        if (buttons == MsgButtons::Ok)
            return {MsgAnswer::Ok, checked};
        return {buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel, checked};
    }
}

SearchErrorAnswer QtMessageBoxPresenter::presentSearchError(const std::string& title,
                                                            const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title), boxText(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setEscapeButton(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    QPushButton* stop = box.addButton(QStringLiteral("&Stop search"), QMessageBox::ActionRole);
    stop->setObjectName(QStringLiteral("cmdStopSearch"));
    box.setCheckBox(new QCheckBox(QStringLiteral("Don't show further errors for this search")));
    box.exec();
    return {box.clickedButton() == stop, box.checkBox()->isChecked()};
}

} // namespace qs::forms
