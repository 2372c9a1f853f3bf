#include "chart/ui/zoom_window.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/app.h"
#include "core/messages.h"
#include "core/number_format.h"

namespace tavrik {

ZoomWindow::ZoomWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpszoom"));
  setWindowTitle(QStringLiteral("Zoomfactor"));
  auto* grid = new QGridLayout(this);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("List1"));
  for (int f : {25, 50, 75, 100, 125, 150, 175, 200, 250, 300}) m_list->addItem(QString::number(f));
  m_list->addItem(QStringLiteral("Fit in window"));
  m_text = new QLineEdit(this);
  m_text->setObjectName(QStringLiteral("Text1"));
  auto* minusButton = new QPushButton(QStringLiteral("-"), this);
  minusButton->setObjectName(QStringLiteral("Command3"));
  auto* plusButton = new QPushButton(QStringLiteral("+"), this);
  plusButton->setObjectName(QStringLiteral("Command4"));
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Command1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("Command2"));
  grid->addWidget(m_list, 0, 0, 1, 4);
  grid->addWidget(minusButton, 1, 0);
  grid->addWidget(m_text, 1, 1, 1, 2);
  grid->addWidget(plusButton, 1, 3);
  grid->addWidget(ok, 2, 0, 1, 2);
  grid->addWidget(cancel, 2, 2, 1, 2);
  connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row < 0) return;
    m_text->setText(row == m_list->count() - 1 ? QStringLiteral("-1") : m_list->item(row)->text());
  });
  connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
  connect(minusButton, &QPushButton::clicked, this, [this] { minus(); });
  connect(plusButton, &QPushButton::clicked, this, [this] { plus(); });
  connect(ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
  setValue(100);
  // A small dialog: every factor in view, never stretched over the chart.
  m_list->setMaximumHeight(m_list->sizeHintForRow(0) * m_list->count() + 2 * m_list->frameWidth() + 4);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

int ZoomWindow::value() const { return static_cast<int>(leniNumber(m_text->text())); }
void ZoomWindow::setValue(int percent) { m_text->setText(QString::number(percent)); }

void ZoomWindow::minus() {
  if (value() > 5) setValue(value() - 5);
}

void ZoomWindow::plus() { setValue(std::max(0, value()) + 5); }

bool ZoomWindow::accept() {
  const int v = value();
  if (v == 0 || v < -1) {
    m_app.prompter.information(MessageText(Msg::NoFactor));
    return false;
  }
  m_app.requests.zoomRequest = v;
  close();
  return true;
}

}  // namespace tavrik
