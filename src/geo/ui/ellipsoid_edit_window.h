#pragma once
// The ellipsoid edit window `gpseelips`: description, the axes a and b, and their
// differences da and df from WGS-84, each pair kept in step as the user types.

#include <array>

#include "geo/ellipsoid_editor.h"
#include "geo/ui/record_edit_window.h"

class QLineEdit;

namespace tavrik {

class App;

class EllipsoidEditWindow : public RecordEditWindow {
  Q_OBJECT
 public:
  explicit EllipsoidEditWindow(App& app, QWidget* parent = nullptr);
  bool start(const QString& description) override;
  bool save() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void show(EllipsoidEditor::Box except);
  QLineEdit* box(EllipsoidEditor::Box b) const;

  App& m_app;
  EllipsoidEditor m_editor;
  QLineEdit* m_desc = nullptr;
  QLineEdit* m_majoraxis = nullptr;
  QLineEdit* m_minoraxis = nullptr;
  QLineEdit* m_da = nullptr;
  QLineEdit* m_df = nullptr;
};

}  // namespace tavrik
