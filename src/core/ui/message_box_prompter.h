#pragma once
// Message boxes for real: warnings with an exclamation or critical icon and OK,
// questions with Yes and No, retries with Retry and Cancel.

#include <QPointer>
#include <QWidget>

#include "core/prompter.h"

namespace tavrik {

class MessageBoxPrompter final : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
  void setParent(QWidget* parent) { m_parent = parent; }
  // Unattended runs (--screenshot) show no boxes: texts go to standard error and every
  // question gets the default answer (No, Cancel), so nothing waits for a user.
  void setUnattended(bool on) { m_unattended = on; }
  void information(const QString& text, const QString& title = {}) override;
  void exclamation(const QString& text, const QString& title = {}) override;
  void critical(const QString& text, const QString& title = {}) override;
  bool question(const QString& text, const QString& title = {}) override;
  bool retryCancel(const QString& text, const QString& title = {}) override;

 private:
  QPointer<QWidget> m_parent;
  bool m_unattended = false;
};

}  // namespace tavrik
