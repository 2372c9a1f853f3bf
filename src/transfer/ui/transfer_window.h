#pragma once
// The five transfer windows (download waypoints, proximity variant included; download
// routes; download tracks; upload waypoints, proximity variant included; upload
// routes), each for the receiver kind of the menu that opened it. The window only
// collects choices and shows progress: the transfer is a ReceiverTransfer ticked by
// the window's timer, the storing a TransferStore.

#include <QWidget>
#include <memory>

#include "transfer/receiver_transfer.h"
#include "transfer/transfer_store.h"
#include "transfer/transfer_upload.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tavrik {

class App;

enum class TransferWindowKind { DownloadWaypoints, DownloadProximity, DownloadRoutes, DownloadTracks, UploadWaypoints, UploadProximity, UploadRoutes };

// "gpswpdown_g", "gpsrtup_m", ...: the object name of a window for a make.
QString transferWindowName(TransferWindowKind kind, ReceiverKind make);
// The section and key of the receiver's port in the settings file.
inline constexpr const char* kReceiverSection = "Receiver";
inline constexpr const char* kReceiverPortKey = "Port";

class TransferWindow final : public QWidget, private TransferSink {
 public:
  TransferWindow(App& app, TransferWindowKind kind, ReceiverKind make, QWidget* parent = nullptr);
  ~TransferWindow() override;

  // Tests and the screenshot hand in the line; the program uses the serial port.
  void setLinkFactory(SerialLinkFactory factory) { m_linkFactory = std::move(factory); }
  // "Import" / "Export".
  void start();
  bool busy() const;

 private:
  void build();
  void fillLists();
  void setControlsEnabled(bool on);
  void finish();
  QString receiverPort() const;
  bool download() const;
  Dataset dataset() const;

  // TransferSink: what the transfer reports.
  void setStatus(const QString& s) override;
  void appendStatus(const QString& s) override;
  void recordsExpected(int n) override;
  void recordShown(const QString& s) override;
  void recordRejected(const QString& s) override;
  void completed() override;
  void failed(const QString& m) override;

  App& m_app;
  TransferWindowKind m_kind;
  ReceiverKind m_make;
  SerialLinkFactory m_linkFactory;
  std::unique_ptr<SerialLink> m_link;
  std::unique_ptr<TransferStore> m_store;
  std::unique_ptr<ReceiverTransfer> m_transfer;
  UploadPlan m_plan;
  QTimer* m_timer = nullptr;

  QComboBox* m_datum = nullptr;
  QListWidget* m_types = nullptr;
  QListWidget* m_groups = nullptr;
  QListWidget* m_routes = nullptr;
  QListWidget* m_tracks = nullptr;
  QCheckBox* m_combine = nullptr;
  QCheckBox* m_custom = nullptr;
  QLineEdit* m_customText = nullptr;
  QCheckBox* m_numbering = nullptr;
  QSpinBox* m_routeNumber = nullptr;
  QPushButton* m_go = nullptr;
  QProgressBar* m_progress = nullptr;
  QLabel* m_record = nullptr;
  QLabel* m_status = nullptr;
};

void registerTransferWindows(App& app);
// The "&Garmin" and "&Magellan" submenus of the Communication menu.
class MainWindow;
void installTransferMenus(App& app, MainWindow& window);

}  // namespace tavrik
