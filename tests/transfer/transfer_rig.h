#pragma once
// A transfer between our session and the receiver emulator without a serial line:
// both directions are buffered and pumped in turn, optionally one byte at a time,
// while a fake clock drives the timers. The database is a real SQLite file.

#include <QTemporaryDir>

#include "core/clock.h"
#include "store/db_datum_lookup.h"
#include "store/schema.h"
#include "transfer/garmin_emulator.h"
#include "transfer/garmin_session.h"
#include "transfer/magellan_emulator.h"
#include "transfer/transfer_store.h"

namespace tavrik::test {

struct BufferLink final : SerialLink {
  QByteArray pending;
  bool open(const QString&, const QString&, Handshake) override { return true; }
  void close() override {}
  bool isOpen() const override { return true; }
  void write(const QByteArray& b) override { pending += b; }
  bool carrierDetect() const override { return false; }
  QString errorText() const override { return {}; }
};

struct ShownReports final : TransferSink {
  QString status, record, failure;
  QStringList rejected;
  int expected = -1, shown = 0;
  bool done = false;
  void setStatus(const QString& s) override { status = s; }
  void appendStatus(const QString& s) override { status += s; }
  void recordsExpected(int n) override { expected = n; }
  void recordShown(const QString& s) override { record = s, ++shown; }
  void recordRejected(const QString& s) override { rejected << s; }
  void completed() override { done = true; }
  void failed(const QString& m) override { failure = m; }
};

struct TransferRig {
  QTemporaryDir dir;
  FakeClock clock;
  Database db;
  DatabaseDatumLookup datums{db};
  GarminEmulator receiver;
  MagellanEmulator magellan;
  bool useMagellan = false;
  BufferLink host;
  QByteArray toHost;
  ShownReports shown;
  bool byteByByte = false;

  TransferRig() {
    createMainDatabase(db, dir.filePath(QStringLiteral("gps.db")), clock.now());
    receiver.write = [this](const QByteArray& b) { toHost += b; };
    magellan.write = [this](const QByteArray& b) { toHost += b; };
  }
  DownloadTarget target(bool oneTrack = false) {
    return {db.scalar(QStringLiteral("SELECT datum FROM Datums WHERE description = 'WGS-84'")).toInt(), 1, 1, oneTrack,
            useMagellan ? ReceiverKind::Magellan : ReceiverKind::Garmin};
  }
  // Runs until the session ends (or the clock has run `limitMs`).
  void run(ReceiverTransfer& s, int limitMs = 60000) {
    for (int waited = 0; s.running() && waited <= limitMs;) {
      if (host.pending.isEmpty() && toHost.isEmpty()) {
        clock.advanceMs(100);
        waited += 100;
        s.tick();
        continue;
      }
      const QByteArray out = std::exchange(host.pending, {});
      const QByteArray in = std::exchange(toHost, {});
      for (qsizetype i = 0; i < out.size(); i += byteByByte ? 1 : out.size()) {
        if (useMagellan) magellan.onBytes(out.mid(i, byteByByte ? 1 : -1));
        else receiver.onBytes(out.mid(i, byteByByte ? 1 : -1));
      }
      for (qsizetype i = 0; i < in.size(); i += byteByByte ? 1 : in.size()) s.onBytes(in.mid(i, byteByByte ? 1 : -1));
    }
    flush();
  }
  // What the host wrote last, after the session ended.
  void flush() {
    const QByteArray out = std::exchange(host.pending, {});
    if (useMagellan) magellan.onBytes(out);
    else receiver.onBytes(out);
  }
  int count(const QString& sql) { return db.scalar(sql).toInt(); }
};

}  // namespace tavrik::test
