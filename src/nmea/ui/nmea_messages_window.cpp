#include "nmea/ui/nmea_messages_window.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app.h"
#include "nmea/ui/refresh_timer.h"

namespace tavrik {

NmeaMessagesWindow::NmeaMessagesWindow(App&, std::function<QStringList()> lastSentences, QWidget* parent)
    : QWidget(parent), m_lastSentences(std::move(lastSentences)) {
  setObjectName(QStringLiteral("gpsmess"));
  setWindowTitle(QStringLiteral("NMEA messages"));
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName(QStringLiteral("Text1"));
  m_text->setReadOnly(true);
  m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_text->setMinimumSize(520, 220);
  auto* v = new QVBoxLayout(this);
  v->addWidget(m_text);
  resize(560, 320);
  m_timer = startRefreshTimer(this);
}

void NmeaMessagesWindow::refresh() {
  QString text;
  if (m_lastSentences)
    for (const QString& line : m_lastSentences()) {
      if (line.isEmpty()) break;  // an empty entry ends the used part
      text += line + QLatin1Char('\n');
    }
  if (text != m_text->toPlainText()) m_text->setPlainText(text);
}

QString NmeaMessagesWindow::text() const { return m_text->toPlainText(); }

}  // namespace tavrik
