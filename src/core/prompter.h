#pragma once
// Message boxes behind an interface: windows and logic that must tell or ask the
// user take a Prompter&, so tests answer with a RecordingPrompter.

#include <QString>
#include <deque>
#include <vector>

namespace tavrik {

class Prompter {
 public:
  enum class Kind { Information, Exclamation, Critical, Question, RetryCancel };
  virtual ~Prompter() = default;
  virtual void information(const QString& text, const QString& title = {}) = 0;
  virtual void exclamation(const QString& text, const QString& title = {}) = 0;
  virtual void critical(const QString& text, const QString& title = {}) = 0;
  // Yes/No; true for Yes.
  virtual bool question(const QString& text, const QString& title = {}) = 0;
  // Retry/Cancel; true for Retry.
  virtual bool retryCancel(const QString& text, const QString& title = {}) = 0;
};

// Records every message; questions are answered from a queue (No / Cancel when empty).
class RecordingPrompter final : public Prompter {
 public:
  struct Entry {
    Kind kind;
    QString text;
    QString title;
  };
  void information(const QString& t, const QString& title = {}) override { add(Kind::Information, t, title); }
  void exclamation(const QString& t, const QString& title = {}) override { add(Kind::Exclamation, t, title); }
  void critical(const QString& t, const QString& title = {}) override { add(Kind::Critical, t, title); }
  bool question(const QString& t, const QString& title = {}) override {
    add(Kind::Question, t, title);
    return next();
  }
  bool retryCancel(const QString& t, const QString& title = {}) override {
    add(Kind::RetryCancel, t, title);
    return next();
  }

  void answer(bool yes) { m_answers.push_back(yes); }
  const std::vector<Entry>& entries() const { return m_entries; }
  bool empty() const { return m_entries.empty(); }
  QString lastText() const { return m_entries.empty() ? QString() : m_entries.back().text; }
  void clear() { m_entries.clear(); }

 private:
  void add(Kind k, const QString& t, const QString& title) { m_entries.push_back({k, t, title}); }
  bool next() {
    if (m_answers.empty()) return false;
    const bool a = m_answers.front();
    m_answers.pop_front();
    return a;
  }
  std::vector<Entry> m_entries;
  std::deque<bool> m_answers;
};

}  // namespace tavrik
