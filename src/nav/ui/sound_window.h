#pragma once
// The sound settings window `gpssound`: sounds on or off and the file of each sound.

#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;

namespace tavrik {

class App;

class SoundWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SoundWindow(App& app, QWidget* parent = nullptr);
  QLineEdit* fileBox(int n) const { return m_files[n]; }  // welcome .. proximity
  QCheckBox* enabledBox() const { return m_enabled; }
  // OK: the values into the settings.
  void accept();
  // A file chosen with a browse button; a name without extension gets ".WAV".
  void setChosenFile(int n, const QString& path);

 private:
  App& m_app;
  QCheckBox* m_enabled = nullptr;
  std::array<QLineEdit*, 5> m_files{};
};

}  // namespace tavrik
