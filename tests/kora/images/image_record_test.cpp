// The RGBA image as a value: default pixels, copies and assignment, colour keying, pixel
// access, block copies, and the little-endian field extraction the readers rely on.
#include <KORA/KR_Endian.h>
#include <KORA/KR_Image.h>
#include <gtest/gtest.h>

#include <cstdint>

using KORA::KR_Endian;
using KORA::KR_Image;
using KORA::KR_RGBA;

namespace {

const KR_RGBA BLACK(0, 0, 0, 255);

TEST(RgbaPixel, DefaultIsOpaqueBlackAndFieldsAreRgbaInOrder) {
  const KR_RGBA p;
  EXPECT_EQ(p.r, 0);
  EXPECT_EQ(p.g, 0);
  EXPECT_EQ(p.b, 0);
  EXPECT_EQ(p.a, 255);
  const KR_RGBA q(1, 2, 3, 4);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&q);
  EXPECT_EQ(sizeof(KR_RGBA), 4u);
  EXPECT_EQ(bytes[0], 1);
  EXPECT_EQ(bytes[1], 2);
  EXPECT_EQ(bytes[2], 3);
  EXPECT_EQ(bytes[3], 4);
}

TEST(ImageRecord, EmptyImageHasNoPixels) {
  const KR_Image image;
  EXPECT_EQ(image.rows, 0);
  EXPECT_EQ(image.columns, 0);
  EXPECT_EQ(image.rasterpos_x, 0);
  EXPECT_EQ(image.rasterpos_y, 0);
  EXPECT_EQ(image.data(), nullptr);
}

TEST(ImageRecord, SizedImageOfTwoByThreeHoldsSixOpaqueBlackPixels) {
  const KR_Image image(2, 3);  // width 2, height 3
  EXPECT_EQ(image.columns, 2);
  EXPECT_EQ(image.rows, 3);
  ASSERT_NE(image.data(), nullptr);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(image.data()[i], BLACK) << i;
}

KR_Image numbered(int width, int height) {
  KR_Image image(width, height);
  for (int r = 0; r < height; ++r)
    for (int c = 0; c < width; ++c)
      image.setPixel(r, c, KR_RGBA(std::uint8_t(r), std::uint8_t(c), 7, 200));
  return image;
}

TEST(ImageCopies, CopyConstructionGetsItsOwnEqualRaster) {
  KR_Image original = numbered(3, 2);
  original.rasterpos_x = 5;
  original.rasterpos_y = -6;
  KR_Image copy(original);
  EXPECT_EQ(copy.rows, 2);
  EXPECT_EQ(copy.columns, 3);
  EXPECT_EQ(copy.rasterpos_x, 5);
  EXPECT_EQ(copy.rasterpos_y, -6);
  ASSERT_NE(copy.data(), original.data());
  for (int i = 0; i < 6; ++i) EXPECT_EQ(copy.data()[i], original.data()[i]);
  original.setPixel(0, 0, KR_RGBA(9, 9, 9, 9));
  EXPECT_EQ(*copy.getPixel(0, 0), KR_RGBA(0, 0, 7, 200));
}

TEST(ImageCopies, CopyOfAnEmptyImageIsEmptyWithAnArrayOfItsOwn) {
  const KR_Image empty;
  const KR_Image copy(empty);
  EXPECT_EQ(copy.rows, 0);
  EXPECT_EQ(copy.columns, 0);
  EXPECT_NE(copy.data(), nullptr);
  EXPECT_EQ(copy.getPixel(0, 0), nullptr);
}

TEST(ImageCopies, SelfAssignmentLeavesTheImageUnchanged) {
  KR_Image image = numbered(2, 2);
  const KR_RGBA* before = image.data();
  KR_Image& alias = image;
  image = alias;
  EXPECT_EQ(image.data(), before);
  EXPECT_EQ(image.rows, 2);
  EXPECT_EQ(*image.getPixel(1, 1), KR_RGBA(1, 1, 7, 200));
}

TEST(ImageCopies, AssigningOneByOneToTenByTenLeavesOneByOneWithItsOwnArray) {
  KR_Image big(10, 10);
  KR_Image small(1, 1);
  small.setPixel(0, 0, KR_RGBA(4, 5, 6, 7));
  small.rasterpos_x = 3;
  big = small;
  EXPECT_EQ(big.rows, 1);
  EXPECT_EQ(big.columns, 1);
  EXPECT_EQ(big.rasterpos_x, 3);
  EXPECT_NE(big.data(), small.data());
  EXPECT_EQ(*big.getPixel(0, 0), KR_RGBA(4, 5, 6, 7));
  EXPECT_EQ(big.getPixel(0, 1), nullptr);
}

TEST(ImageChromaKey, MakesExactlyTheMatchingPixelsTransparent) {
  KR_Image image(3, 1);
  image.setPixel(0, 0, KR_RGBA(255, 0, 255, 255));
  image.setPixel(0, 1, KR_RGBA(255, 0, 254, 255));
  image.setPixel(0, 2, KR_RGBA(255, 0, 255, 17));
  image.chromaKey(KR_RGBA(255, 0, 255, 99), 0);  // the key's own alpha is not compared
  EXPECT_EQ(image.getPixel(0, 0)->a, 0);
  EXPECT_EQ(image.getPixel(0, 1)->a, 255);
  EXPECT_EQ(image.getPixel(0, 2)->a, 0);
  EXPECT_EQ(*image.getPixel(0, 1), KR_RGBA(255, 0, 254, 255));
}

TEST(ImageChromaKey, ReachesTheLastPixelAndLeavesColoursAlone) {
  KR_Image image(4, 3);
  image.setPixel(2, 3, KR_RGBA(10, 20, 30, 255));
  image.chromaKey(KR_RGBA(10, 20, 30, 0), 128);
  EXPECT_EQ(*image.getPixel(2, 3), KR_RGBA(10, 20, 30, 128));
  image.chromaKey(KR_RGBA(0, 0, 0, 0), 1);
  EXPECT_EQ(image.getPixel(0, 0)->a, 1);
  EXPECT_EQ(image.getPixel(2, 3)->a, 128);
}

// An image with a size but no pixels, as a failed raster allocation leaves it.
class Hollow : public KR_Image {
 public:
  Hollow() {
    rows = 2;
    columns = 3;
  }
};

TEST(ImageWithoutPixels, IsSafeToKeyCopyAndAssign) {
  Hollow hollow;
  ASSERT_EQ(hollow.data(), nullptr);
  hollow.chromaKey(KR_RGBA(0, 0, 0, 0), 0);
  EXPECT_EQ(hollow.getPixel(0, 0), nullptr);
  const KR_Image copy(hollow);  // copied as opaque black of the same size
  ASSERT_NE(copy.data(), nullptr);
  EXPECT_EQ(copy.rows, 2);
  EXPECT_EQ(copy.columns, 3);
  EXPECT_EQ(*copy.getPixel(1, 2), BLACK);
  KR_Image assigned(1, 1);
  assigned = hollow;
  EXPECT_EQ(assigned.columns, 3);
  EXPECT_EQ(*assigned.getPixel(1, 2), BLACK);
}

// A subclass may replace the raster itself, as an array of KR_RGBA: the image must release
// it with delete[] and copy it like any other (a raster from another allocator would crash).
class Resized : public KR_Image {
 public:
  Resized() : KR_Image(2, 2) {
    delete[] pixels;
    pixels = new KR_RGBA[3];
    rows = 1;
    columns = 3;
    pixels[2] = KR_RGBA(9, 8, 7, 6);
  }
};

TEST(ImageSubclass, MayReplaceThePixelsWithAnArrayOfItsOwn) {
  Resized image;
  const KR_Image copy(image);
  EXPECT_EQ(*copy.getPixel(0, 2), KR_RGBA(9, 8, 7, 6));
  image = Resized();  // the old raster goes through delete[], so must the one assigned over
  KR_Image sized(4, 4);
  sized = image;
  EXPECT_EQ(sized.columns, 3);
  EXPECT_EQ(*sized.getPixel(0, 0), BLACK);
}

TEST(ImagePixelAccess, CheckedFormsRefuseCoordinatesOutsideTheRaster) {
  KR_Image image(3, 2);  // rows 0..1, columns 0..2
  EXPECT_TRUE(image.setPixel(1, 2, KR_RGBA(1, 1, 1, 1)));
  EXPECT_FALSE(image.setPixel(2, 0, KR_RGBA(1, 1, 1, 1)));
  EXPECT_FALSE(image.setPixel(0, 3, KR_RGBA(1, 1, 1, 1)));
  EXPECT_FALSE(image.setPixel(-1, 0, KR_RGBA(1, 1, 1, 1)));
  EXPECT_FALSE(image.setPixel(0, -1, KR_RGBA(1, 1, 1, 1)));
  EXPECT_EQ(image.getPixel(2, 0), nullptr);
  EXPECT_EQ(image.getPixel(0, 3), nullptr);
  EXPECT_EQ(image.getPixel(1, 2), image.data() + 5);  // row-major: row 1, column 2
  EXPECT_EQ(image.getFastPixel(1, 0), image.data() + 3);
  image.setFastPixel(0, 1, KR_RGBA(2, 2, 2, 2));
  EXPECT_EQ(image.data()[1], KR_RGBA(2, 2, 2, 2));
  const KR_Image empty;
  EXPECT_EQ(empty.getPixel(0, 0), nullptr);
}

TEST(ImageBlockCopy, CopiesTheBlockAndClipsItToTheRaster) {
  const KR_Image image = numbered(4, 3);
  const KR_Image inner = image.copy(1, 2, 2, 2);
  ASSERT_EQ(inner.rows, 2);
  ASSERT_EQ(inner.columns, 2);
  EXPECT_EQ(*inner.getPixel(0, 0), KR_RGBA(1, 2, 7, 200));
  EXPECT_EQ(*inner.getPixel(1, 1), KR_RGBA(2, 3, 7, 200));
  const KR_Image clipped = image.copy(-1, 3, 5, 10);  // rows 0..2, column 3 only
  ASSERT_EQ(clipped.rows, 3);
  ASSERT_EQ(clipped.columns, 1);
  EXPECT_EQ(*clipped.getPixel(2, 0), KR_RGBA(2, 3, 7, 200));
  const KR_Image outside = image.copy(3, 0, 1, 1);
  EXPECT_EQ(outside.rows, 0);
  EXPECT_EQ(outside.columns, 0);
  const KR_Image huge = image.copy(0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF);
  EXPECT_EQ(huge.rows, 0);
}

TEST(EndianFields, Bytes36000000GiveFiftyFourAndAdvanceByFour) {
  KR_Endian* endian = KR_Endian::getInstance();
  ASSERT_EQ(endian, KR_Endian::getInstance());
  unsigned char bytes[] = {0x36, 0x00, 0x00, 0x00, 0xAA};
  unsigned char* cursor = bytes;
  std::int32_t value = -1;
  endian->getTypedData(&value, cursor, 4);
  EXPECT_EQ(value, 54);
  EXPECT_EQ(cursor, bytes + 4);
  // The same from read-only bytes, through a cursor to const.
  const unsigned char header[] = {0x02, 0x01, 0x36};
  const unsigned char* at = header;
  std::uint16_t field = 0;
  endian->getTypedData(&field, at, 2);
  EXPECT_EQ(field, 0x0102);
  EXPECT_EQ(at, header + 2);
}

TEST(EndianFields, ValuesAreLittleEndianOnThisHost) {
  KR_Endian* endian = KR_Endian::getInstance();
  const std::uint16_t probe = 0x0102;
  EXPECT_EQ(endian->little_endian, *reinterpret_cast<const unsigned char*>(&probe) == 0x02);
  unsigned char bytes[] = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF};
  unsigned char* cursor = bytes;
  std::uint16_t u16 = 0;
  std::int32_t i32 = 0;
  endian->getTypedData(&u16, cursor, 2);
  endian->getTypedData(&i32, cursor, 4);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(cursor, bytes + 6);
}

TEST(EndianFields, SizeZeroOrLessCopiesNothingAndDoesNotMove) {
  KR_Endian* endian = KR_Endian::getInstance();
  unsigned char bytes[] = {1, 2};
  unsigned char* cursor = bytes;
  int value = 77;
  endian->getTypedData(&value, cursor, 0);
  endian->getTypedData(&value, cursor, -4);
  EXPECT_EQ(value, 77);
  EXPECT_EQ(cursor, bytes);
}

}  // namespace
