#include "screens/QtUserPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <algorithm>

#include "screenlogic/PromptText.h"
#include "screens/QtText.h"

namespace kelvadeck {

namespace {

QString FilterFor(const std::string& extension) {
    const QString ext = Q(extension);
    return QStringLiteral("%1 (*.%2)").arg(ext.toUpper(), ext);
}

}  // namespace

bool QtUserPrompts::Ask(const Question& question) {
    QMessageBox box(QApplication::activeWindow());
    Prepare(box, question.destructive ? QMessageBox::Warning : QMessageBox::Question, question.headline, question.explanation);
    QPushButton* ok = box.addButton(Q(question.verb.empty() ? m_strings.Get("OK") : question.verb), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(Q(m_strings.Get("Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(question.destructive ? cancel : ok);
    box.setEscapeButton(cancel);
    Run(box);
    return box.clickedButton() == ok;
}

void QtUserPrompts::Notify(const std::string& message, const std::string& informative) {
    QMessageBox box(QApplication::activeWindow());
    Prepare(box, QMessageBox::Information, message, informative);
    box.addButton(Q(m_strings.Get("OK")), QMessageBox::AcceptRole);
    Run(box);
}

UserPrompts::SaveChoice QtUserPrompts::AskSaveChanges(const std::string& message, const std::string& informative) {
    QMessageBox box(QApplication::activeWindow());
    Prepare(box, QMessageBox::Warning, message, informative);
    QPushButton* save = box.addButton(Q(m_strings.Get("BTN_SAVE")), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(Q(m_strings.Get("BTN_DONT_SAVE")), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(Q(m_strings.Get("Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    Run(box);
    if (box.clickedButton() == save) return SaveChoice::Save;
    if (box.clickedButton() == discard) return SaveChoice::Discard;
    return SaveChoice::Cancel;
}

void QtUserPrompts::ShowError(const std::string& message, const std::string& informative) {
    QMessageBox box(QApplication::activeWindow());
    Prepare(box, QMessageBox::Warning, message, informative);
    box.addButton(Q(m_strings.Get("OK")), QMessageBox::AcceptRole);
    Run(box);
}

void QtUserPrompts::Prepare(QMessageBox& box, QMessageBox::Icon icon, const std::string& message, const std::string& informative) const {
    const PromptText::Parts parts = message.empty() ? PromptText::Split(informative) : PromptText::Parts{message, informative};
    box.setObjectName(QStringLiteral("promptBox"));
    box.setWindowTitle(Q(m_strings.Get("APPLICATION_NAME")));
    box.setIcon(icon);
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<b>%1</b>").arg(Q(parts.headline).toHtmlEscaped()));
    box.setInformativeText(Q(parts.explanation));
}

void QtUserPrompts::Run(QMessageBox& box) {
    // A message box is as narrow as its text by itself, which cuts its own
    // title and breaks a headline into short lines: it gets a width of its
    // own (the layout is final once the texts are set).
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = std::max(MIN_WIDTH, box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160);
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
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
