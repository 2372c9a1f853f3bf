#include "chart/ui/chart_info_window.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrik {

ChartInfoWindow::ChartInfoWindow(App&, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("gpschartinfo"));
  setWindowTitle(QStringLiteral("Chart information"));
  auto* box = new QVBoxLayout(this);
  m_text = new QPlainTextEdit(this);
  m_text->setObjectName(QStringLiteral("Text1"));
  m_text->setReadOnly(true);
  m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_text->setMinimumSize(420, 300);
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("Command1"));
  box->addWidget(m_text);
  box->addWidget(close, 0, Qt::AlignRight);
  connect(close, &QPushButton::clicked, this, [this] { this->close(); });
}

void ChartInfoWindow::setInformation(const QString& title, const QString& text) {
  setWindowTitle(QStringLiteral("Chart information - ") + title);
  if (parentWidget()) parentWidget()->setWindowTitle(windowTitle());
  m_text->setPlainText(text);
}

QString ChartInfoWindow::text() const { return m_text->toPlainText(); }

}  // namespace tavrik
