#include "ui/QtDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>

namespace envio {

namespace {

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    // The program's own button text, whatever language the toolkit speaks.
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

} // namespace

void QtDialogs::message(const QString& text) {
    showBox(QMessageBox::NoIcon, applicationTitle(), text);
}

void QtDialogs::error(const QString& text) {
    showBox(QMessageBox::Critical, QStringLiteral("Error"), text);
}

namespace {

bool question(const QString& caption, const QString& text, const QString& yesText) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* yes = box.addButton(yesText, QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

} // namespace

bool QtDialogs::confirm(const QString& caption, const QString& text) {
    return question(caption, text, QStringLiteral("&Yes"));
}

bool QtDialogs::ask(const QString& text) {
    return question(applicationTitle(), text, QStringLiteral("&Sí"));
}

void QtDialogs::beep() {
    QApplication::beep();
}

std::optional<SaveChoice> QtDialogs::saveFile(const QString& defaultName, const QStringList& filters) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.front());
    dialog.selectFile(defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    SaveChoice choice;
    choice.path = dialog.selectedFiles().front();
    const qsizetype index = filters.indexOf(dialog.selectedNameFilter());
    choice.filterIndex = index < 0 ? 1 : static_cast<int>(index) + 1;
    return choice;
}

void QtDialogs::setClipboard(const std::vector<ClipboardItem>& items) {
    auto* data = new QMimeData;
    for (const ClipboardItem& item : items)
        data->setData(item.format, item.data);
    QApplication::clipboard()->setMimeData(data);
}

} // namespace envio
