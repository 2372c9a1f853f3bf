#include "core/ui/message_box_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace tavrik {
namespace {
QString caption(const QString& title) { return title.isEmpty() ? QStringLiteral("Tavrik") : title; }
}  // namespace

void MessageBoxPrompter::information(const QString& text, const QString& title) {
  QMessageBox::information(m_parent, caption(title), text);
}
void MessageBoxPrompter::exclamation(const QString& text, const QString& title) {
  QMessageBox::warning(m_parent, caption(title), text);
}
void MessageBoxPrompter::critical(const QString& text, const QString& title) {
  QMessageBox::critical(m_parent, caption(title), text);
}
bool MessageBoxPrompter::question(const QString& text, const QString& title) {
  return QMessageBox::question(m_parent, caption(title), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}
bool MessageBoxPrompter::retryCancel(const QString& text, const QString& title) {
  return QMessageBox::warning(m_parent, caption(title), text, QMessageBox::Retry | QMessageBox::Cancel,
                              QMessageBox::Retry) == QMessageBox::Retry;
}

}  // namespace tavrik
