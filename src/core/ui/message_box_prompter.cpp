#include "core/ui/message_box_prompter.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>

namespace tavrik {
namespace {
QString caption(const QString& title) { return title.isEmpty() ? QStringLiteral("Tavrik") : title; }
void toStderr(const QString& title, const QString& text) {
  std::fprintf(stderr, "tavrik: %s: %s\n", qPrintable(caption(title)), qPrintable(text));
}
}  // namespace

void MessageBoxPrompter::information(const QString& text, const QString& title) {
  if (m_unattended) return toStderr(title, text);
  QMessageBox::information(m_parent, caption(title), text);
}
void MessageBoxPrompter::exclamation(const QString& text, const QString& title) {
  if (m_unattended) return toStderr(title, text);
  QMessageBox::warning(m_parent, caption(title), text);
}
void MessageBoxPrompter::critical(const QString& text, const QString& title) {
  if (m_unattended) return toStderr(title, text);
  QMessageBox::critical(m_parent, caption(title), text);
}
bool MessageBoxPrompter::question(const QString& text, const QString& title) {
  if (m_unattended) {
    toStderr(title, text + QStringLiteral(" No"));
    return false;
  }
  return QMessageBox::question(m_parent, caption(title), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}
bool MessageBoxPrompter::retryCancel(const QString& text, const QString& title) {
  if (m_unattended) {
    toStderr(title, text + QStringLiteral(" Cancel"));
    return false;
  }
  return QMessageBox::warning(m_parent, caption(title), text, QMessageBox::Retry | QMessageBox::Cancel,
                              QMessageBox::Retry) == QMessageBox::Retry;
}

}  // namespace tavrik
