#include "store/ui/info_database_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app.h"
#include "core/messages.h"
#include "store/new_database.h"
#include "store/upgrade.h"

namespace tavrik {

InfoDatabaseWindow::InfoDatabaseWindow(App& app, QWidget* parent) : QWidget(parent), m_app(app) {
  setObjectName(QStringLiteral("gpsnewinfo"));
  setWindowTitle(QStringLiteral("Create info database"));
  setAttribute(Qt::WA_DeleteOnClose);
  const auto edit = [this](const char* name, int maxLength) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromUtf8(name));
    e->setMaxLength(maxLength);
    return e;
  };
  m_name = edit("Text1", 200);
  m_version = edit("Text2", 50);
  m_copyright = edit("Text3", 50);
  m_area = edit("Text4", 50);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("&Name:"), m_name);
  form->addRow(QStringLiteral("&Version:"), m_version);
  form->addRow(QStringLiteral("&Copyright:"), m_copyright);
  form->addRow(QStringLiteral("&Area:"), m_area);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("Command1"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("Command2"));
  connect(ok, &QPushButton::clicked, this, [this] { accept(); });
  connect(cancel, &QPushButton::clicked, this, [this] { close(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  resize(380, 190);
}

bool InfoDatabaseWindow::accept() {
  InfoDatabaseHeader h{m_name->text(), m_version->text(), m_copyright->text(), m_area->text(), QString()};
  QString path;
  if (!createNewInfoDatabase(m_app.paths.programFolder(), h, m_app.prompter, &path)) {
    m_name->setFocus();
    return false;
  }
  m_app.infoDb.close();
  const StoreResult r = openInfoDatabase(m_app.infoDb, path);
  if (!r.ok()) ShowError(m_app.prompter, r.error, r.detail);
  close();
  return true;
}

}  // namespace tavrik
