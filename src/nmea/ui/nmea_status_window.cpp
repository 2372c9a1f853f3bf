#include "nmea/ui/nmea_status_window.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

#include "app/app.h"
#include "nmea/ui/refresh_timer.h"

namespace tavrik {

NmeaStatusWindow::NmeaStatusWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsnmea"));
  setWindowTitle(QStringLiteral("NMEA status"));
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(18);
  grid->setVerticalSpacing(2);
  // Two blocks of eleven rows side by side keep the window low enough for a laptop.
  constexpr int kRowsPerBlock = 11;
  for (int block = 0; block < 2; ++block) {
    int col = block * 3;
    const char* heads[] = {"Sentence", "Received", "Discarded"};
    for (int c = 0; c < 3; ++c) {
      auto* h = new QLabel(QLatin1String(heads[c]), this);
      QFont f = h->font();
      f.setBold(true);
      h->setFont(f);
      if (c > 0) h->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(h, 0, col + c);
    }
  }
  for (int j = 0; j < kSentenceCount; ++j) {
    const int row = 1 + j % kRowsPerBlock, col = (j / kRowsPerBlock) * 3;
    const QString name = QLatin1String(kSentenceNames[j]);
    auto* s = new QLabel(name, this);
    s->setObjectName(QStringLiteral("sentence_%1").arg(name));
    m_received[j] = new QLabel(this);
    m_received[j]->setObjectName(QStringLiteral("received_%1").arg(name));
    m_discarded[j] = new QLabel(this);
    m_discarded[j]->setObjectName(QStringLiteral("discarded_%1").arg(name));
    for (QLabel* l : {m_received[j], m_discarded[j]}) {
      l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      l->setMinimumWidth(70);
    }
    grid->addWidget(s, row, col);
    grid->addWidget(m_received[j], row, col + 1);
    grid->addWidget(m_discarded[j], row, col + 2);
  }
  grid->setRowStretch(kRowsPerBlock + 1, 1);
  m_timer = startRefreshTimer(this);
}

void NmeaStatusWindow::refresh() {
  for (int j = 0; j < kSentenceCount; ++j) {
    const QString r = QString::number(m_app.nav.ReceivedCount[j]), e = QString::number(m_app.nav.ErrorCount[j]);
    if (m_received[j]->text() != r) m_received[j]->setText(r);
    if (m_discarded[j]->text() != e) m_discarded[j]->setText(e);
  }
}

}  // namespace tavrik
