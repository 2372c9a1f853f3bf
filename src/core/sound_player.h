#pragma once
// Alarm and welcome sounds behind an interface; a missing file or audio device
// plays nothing.

#include <QString>
#include <vector>

namespace tavrik {

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void play(const QString& file) = 0;  // asynchronous
  virtual void beep() = 0;
};

class RecordingSoundPlayer final : public SoundPlayer {
 public:
  void play(const QString& file) override { played.push_back(file); }
  void beep() override { ++beeps; }
  std::vector<QString> played;
  int beeps = 0;
};

}  // namespace tavrik
