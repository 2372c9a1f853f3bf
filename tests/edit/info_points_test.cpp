#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "edit/info_points.h"
#include "store/schema.h"

namespace tavrik {
namespace {

void Touch(const QString& path, QFile::Permissions perms = QFile::ReadOwner | QFile::WriteOwner) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("x");
  f.close();
  f.setPermissions(perms);
}

TEST(OpenDocument, OpensOnlyPlainFilesBelowTheFolderOrChosenAbsolutely) {
  QTemporaryDir root;
  const QString folder = root.filePath(QStringLiteral("guide"));
  Touch(folder + "/harbours/north.html");
  Touch(root.filePath(QStringLiteral("elsewhere/chosen.pdf")));
  Touch(root.filePath(QStringLiteral("secret.txt")));
  Touch(folder + "/run.sh");
  Touch(folder + "/launch.desktop");
  Touch(folder + "/tool", QFile::ReadOwner | QFile::ExeOwner);
  QDir().mkpath(folder + "/empty");
  struct Case {
    QString name;
    int result;
    QString opened;  // expected local file when opened
  };
  const Case cases[] = {
      {"harbours/north.html", DocumentResult::Opened, folder + "/harbours/north.html"},
      {"harbours\\north.html", DocumentResult::Opened, folder + "/harbours/north.html"},
      {root.filePath("elsewhere/chosen.pdf"), DocumentResult::Opened, root.filePath("elsewhere/chosen.pdf")},
      {"harbours/../harbours/north.html", DocumentResult::Opened, folder + "/harbours/north.html"},
      {"../secret.txt", DocumentResult::AccessDenied, {}},
      {folder + "/../secret.txt", DocumentResult::AccessDenied, {}},
      {"run.sh", DocumentResult::AccessDenied, {}},
      {"launch.desktop", DocumentResult::AccessDenied, {}},
      {"tool", DocumentResult::AccessDenied, {}},
      {"empty", DocumentResult::AccessDenied, {}},
      {"harbours/south.html", DocumentResult::FileNotFound, {}},
      {"nowhere/south.html", DocumentResult::PathNotFound, {}},
      {"C:\\GUIDE\\NORTH.HTM", DocumentResult::PathNotFound, {}},
      {"  ", DocumentResult::FileNotFound, {}},
  };
  for (const Case& c : cases) {
    QUrl asked;
    const int result = OpenDocument(folder, c.name, [&](const QUrl& u) {
      asked = u;
      return true;
    });
    EXPECT_EQ(result, c.result) << c.name.toStdString();
    EXPECT_EQ(asked.toLocalFile(), c.opened) << c.name.toStdString();
  }
  // The desktop without an application for the file.
  EXPECT_EQ(OpenDocument(folder, "harbours/north.html", [](const QUrl&) { return false; }), DocumentResult::NoAssociation);
  EXPECT_EQ(OpenDocumentMessage(31), "No association for file extension");
  EXPECT_EQ(OpenDocumentMessage(5), "Access denied");
  EXPECT_EQ(OpenDocumentMessage(4), "Unknown error");
}

TEST(InfoDatabase, OpensWithOrWithoutVersionRowAndRefusesOtherFiles) {
  QTemporaryDir dir;
  const QDateTime now(QDate(2026, 6, 1), QTime(12, 0));
  Database info;
  ASSERT_TRUE(createInfoDatabase(info, dir.filePath("guide.db"), {"Guide", "1", "(c) Pilot", "Wadden", "anchor.ico"}).ok());
  InfoPoint p;
  p.name = "Marina";
  p.file = "harbours/marina.html";
  p.latitude = 53.25;
  p.longitude = 5.5;
  ASSERT_TRUE(SaveInfoPoint(info, p, now).ok());
  EXPECT_NE(p.key, 0);
  info.close();

  InfoHeader header;
  ASSERT_TRUE(OpenInfoDatabase(info, dir.filePath("guide.db"), header).ok());
  EXPECT_TRUE(header.present);
  EXPECT_EQ(header.name, "Guide");
  EXPECT_EQ(header.icon, "anchor.ico");
  InfoPoint back;
  ASSERT_TRUE(ReadInfoPoint(info, p.key, back));
  EXPECT_EQ(back.file, "harbours/marina.html");
  EXPECT_EQ(back.chart, " ") << "a point for every chart";
  back.chart = "Texel";
  back.icon.clear();
  ASSERT_TRUE(SaveInfoPoint(info, back, now).ok());
  EXPECT_EQ(info.scalar("SELECT Chart || '|' || Icon FROM [Info points]").toString(), "Texel| ");

  ASSERT_TRUE(info.execute("DELETE FROM Version").ok());
  info.close();
  ASSERT_TRUE(OpenInfoDatabase(info, dir.filePath("guide.db"), header).ok());
  EXPECT_FALSE(header.present);
  EXPECT_EQ(info.scalar("SELECT COUNT(*) FROM [Info points]").toInt(), 1);
  ASSERT_TRUE(DeleteInfoPoint(info, p.key).ok());

  QFile text(dir.filePath("notes.db"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("these are notes, not a database\n");
  text.close();
  EXPECT_FALSE(OpenInfoDatabase(info, dir.filePath("notes.db"), header).ok());
  EXPECT_FALSE(info.isOpen());
}

}  // namespace
}  // namespace tavrik
