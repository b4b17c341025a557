#include "screens/QtUserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "screens/QtText.h"

namespace kelvadeck {

namespace {

QString FilterFor(const std::string& extension) {
    const QString ext = Q(extension);
    return QStringLiteral("%1 (*.%2)").arg(ext.toUpper(), ext);
}

}  // namespace

bool QtUserPrompts::Confirm(const std::string& message, const std::string& informative) {
    QMessageBox box(QMessageBox::Question, Q(m_strings.Get("APPLICATION_NAME")), Q(message), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(Q(informative));
    QPushButton* ok = box.addButton(Q(m_strings.Get("OK")), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(Q(m_strings.Get("Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == ok;
}

void QtUserPrompts::Notify(const std::string& message, const std::string& informative) {
    QMessageBox box(QMessageBox::Information, Q(m_strings.Get("APPLICATION_NAME")), Q(message), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(Q(informative));
    box.addButton(Q(m_strings.Get("OK")), QMessageBox::AcceptRole);
    box.exec();
}

UserPrompts::SaveChoice QtUserPrompts::AskSaveChanges(const std::string& message, const std::string& informative) {
    QMessageBox box(QMessageBox::Warning, Q(m_strings.Get("APPLICATION_NAME")), Q(message), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(Q(informative));
    QPushButton* save = box.addButton(Q(m_strings.Get("BTN_SAVE")), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Q(m_strings.Get("BTN_DONT_SAVE")), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(Q(m_strings.Get("Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save) return SaveChoice::Save;
    if (box.clickedButton() == discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

void QtUserPrompts::ShowError(const std::string& message, const std::string& informative) {
    QMessageBox box(QMessageBox::Warning, Q(m_strings.Get("APPLICATION_NAME")), Q(message), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setInformativeText(Q(informative));
    box.addButton(Q(m_strings.Get("OK")), QMessageBox::AcceptRole);
    box.exec();
}

std::optional<std::string> QtUserPrompts::ChooseSaveFile(const std::string& extension) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(FilterFor(extension));
    dialog.setDefaultSuffix(Q(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtUserPrompts::ChooseOpenFile(const std::string& extension) {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(FilterFor(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

bool QtUserPrompts::OpenHelpPage(const std::string& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))); }

}  // namespace kelvadeck
