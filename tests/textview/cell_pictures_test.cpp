// The store of finished cell pictures: found by look, bounded by bytes, emptied on a new font.
#include "textview/ui/cell_pictures.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QImage>

namespace {

TCellLook Look(const QString& text, QRgb background = qRgb(1, 2, 3)) {
  return {text, background, qRgb(0, 0, 0), false, QSize(40, 18), 1};
}

QImage Picture(int side = 20) {
  QImage picture(side, side, QImage::Format_RGB32);
  picture.fill(Qt::white);
  return picture;
}

TEST(CellPicturesTest, FindsAPictureOnlyByItsWholeLook) {
  TCellPictures pictures;
  pictures.UseFont(QFont("Sans", 9));
  pictures.Insert(Look("12"), Picture());
  EXPECT_NE(pictures.Find(Look("12")), nullptr);
  EXPECT_EQ(pictures.Find(Look("13")), nullptr);
  EXPECT_EQ(pictures.Find(Look("12", qRgb(1, 2, 4))), nullptr);
  TCellLook changed = Look("12");
  changed.changed = true;
  EXPECT_EQ(pictures.Find(changed), nullptr);
  TCellLook sharper = Look("12");
  sharper.ratio = 2;
  EXPECT_EQ(pictures.Find(sharper), nullptr);

  pictures.UseFont(QFont("Sans", 9));  // the same font keeps them
  EXPECT_NE(pictures.Find(Look("12")), nullptr);
  pictures.UseFont(QFont("Sans", 12));
  EXPECT_EQ(pictures.Find(Look("12")), nullptr);
  EXPECT_EQ(pictures.Bytes(), 0);
}

TEST(CellPicturesTest, StaysWithinItsBound) {
  TCellPictures pictures;
  const qsizetype each = Picture(100).sizeInBytes();
  for (int i = 0; i < 1000; ++i) {
    pictures.Insert(Look(QString::number(i)), Picture(100));
    ASSERT_LE(pictures.Bytes(), TCellPictures::kMaxBytes);
    ASSERT_EQ(pictures.Bytes(), pictures.Count() * each);
  }
  EXPECT_NE(pictures.Find(Look("999")), nullptr);  // the newest survives a start-over
  // Putting a look in again replaces its picture without counting it twice.
  pictures.Insert(Look("999"), Picture(100));
  EXPECT_EQ(pictures.Bytes(), pictures.Count() * each);
  // A picture larger than the bound is not kept at all.
  pictures.Insert(Look("huge"), Picture(2000));
  EXPECT_EQ(pictures.Find(Look("huge")), nullptr);
}

}  // namespace
