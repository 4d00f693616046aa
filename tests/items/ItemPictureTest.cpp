#include "CraftedPictures.h"
#include "ItemCardFixture.h"

#include "items/Commit.h"
#include "items/DesktopPicturePanel.h"
#include "items/ImageUpdateDialog.h"
#include "items/ItemHooks.h"
#include "items/ItemPicture.h"
#include "items/ItemRecord.h"
#include "items/ShowRecords.h"
#include "platform/JpegCodec.h"
#include "platform/WavFile.h"
#include "support/ModalDriver.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

using namespace qb;

namespace {

constexpr Timestamp kItem = -46101.5L;

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y,
                           qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 128));
    return image;
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray data;
    QString error;
    EXPECT_TRUE(jpeg::encode(image, &data, 92, &error)) << error.toStdString();
    return data;
}

int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

TEST(JpegCodec, EncodesAndDecodesAPictureAndReadsItsSize)
{
    const QImage original = gradient(64, 48);
    const QByteArray data = jpegOf(original);
    EXPECT_TRUE(jpeg::looksLikeJpeg(data));
    QSize size;
    ASSERT_TRUE(jpeg::readSize(data, &size));
    EXPECT_EQ(size, QSize(64, 48));
    QImage decoded;
    QString error;
    ASSERT_TRUE(jpeg::decode(data, &decoded, &error)) << error.toStdString();
    EXPECT_EQ(decoded.size(), original.size());
    EXPECT_LE(largestDifference(original, decoded.convertToFormat(QImage::Format_RGB32)), 12);
}

TEST(JpegCodec, BrokenStreamsGiveAnErrorNotAPicture)
{
    const QByteArray good = jpegOf(gradient(80, 60));
    const QByteArray broken[] = {
        QByteArray(),
        QByteArray("\xFF\xD8\xFF", 3),
        QByteArray("\xFF\xD8\xFF\xE0") + QByteArray(500, 'x'),
        good.left(good.size() / 2),  // a file cut off in the middle of its picture
        QByteArray("not a picture at all"),
    };
    for (const QByteArray& data : broken) {
        QImage image;
        QString error;
        EXPECT_FALSE(jpeg::decode(data, &image, &error)) << data.size();
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(image.isNull());
    }
    // Too many pixels are refused from the header, before the picture is decoded.
    QImage image;
    QString error;
    EXPECT_FALSE(jpeg::decode(good, &image, &error, 80 * 60 - 1));
    EXPECT_TRUE(error.contains(QStringLiteral("too big")));
    EXPECT_TRUE(jpeg::decode(good, &image, &error, 80 * 60));
}

TEST(JpegCodec, AStreamThatRepeatsItsScansIsCutOff)
{
    QImage image;
    QString error;
    ASSERT_TRUE(jpeg::decode(test::crafted::jpegScans(8, 8, 1), &image, &error))
        << error.toStdString();
    EXPECT_EQ(image.size(), QSize(8, 8));
    const QByteArray endless = test::crafted::jpegScans(64, 64, 1500);
    EXPECT_FALSE(jpeg::decode(endless, &image, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("scans"))) << error.toStdString();
    EXPECT_TRUE(PictureFromStoredBytes(endless).isNull()) << "the stored path goes through it too";
}

QByteArray saved(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

TEST(PictureData, AHeaderOverTheLimitIsRefusedBeforeThePictureIsDecoded)
{
    using namespace test::crafted;
    const std::pair<QByteArray, QSize> huge[] = {
        {bmp(5000, 5000, 32, 0, 0, QByteArray(4, '\0')), {5000, 5000}},         // 58 bytes
        {bmp(5000, 5000, 8, 0, 1, QByteArray(5, '\0')), {5000, 5000}},          // 63 bytes
        {bmp(5000, 5000, 8, 1, 1, QByteArray("\0\1\0\0\0", 5)), {5000, 5000}},  // RLE8
        {blackPng(5000, 5000), {5000, 5000}},
        {jpegScans(37, 65407, 1), {37, 65407}},
    };
    for (const auto& [data, size] : huge) {
        const PictureFile picture = LoadPictureData(data);
        EXPECT_EQ(picture.status, PictureFile::TooBig) << picture.error.toStdString();
        EXPECT_TRUE(picture.image.isNull());
        EXPECT_EQ(picture.error, QStringLiteral("%1 x %2 pixels, more than 1000000")
                                     .arg(size.width())
                                     .arg(size.height()));
        EXPECT_TRUE(PictureFromStoredBytes(data).isNull()) << data.size();
    }
}

TEST(PictureData, APictureThatEndsEarlyIsRefusedAndAWholeOneRead)
{
    const QImage picture = gradient(40, 30);
    // Two rows of four pixels, then the end of the picture.
    const QByteArray rle = test::crafted::bmp(4, 2, 8, 1, 2, QByteArray("\4\1\0\0\4\0\0\1", 8));
    const std::pair<QByteArray, QByteArray> cases[] = {
        {saved(picture, "BMP"), saved(picture, "BMP").left(2000)},
        {saved(picture.convertToFormat(QImage::Format_Indexed8), "BMP"),
         saved(picture.convertToFormat(QImage::Format_Indexed8), "BMP").left(1500)},
        {rle, rle.left(rle.size() - 4)},
        {saved(picture, "PNG"), saved(picture, "PNG").left(saved(picture, "PNG").size() * 2 / 3)},
        {jpegOf(gradient(300, 200)), jpegOf(gradient(300, 200)).left(3000)},
    };
    for (const auto& [whole, cut] : cases) {
        const PictureFile read = LoadPictureData(whole);
        EXPECT_EQ(read.status, PictureFile::Ok) << read.error.toStdString();
        EXPECT_FALSE(PictureFromStoredBytes(whole).isNull());
        EXPECT_EQ(LoadPictureData(cut).status, PictureFile::Unreadable) << cut.size();
        EXPECT_TRUE(PictureFromStoredBytes(cut).isNull()) << cut.size();
    }
    EXPECT_EQ(PictureFromStoredBytes(rle).size(), QSize(4, 2));
    EXPECT_EQ(PictureFromStoredBytes(rle).pixel(0, 1), qRgb(255, 255, 255));  // bottom row first
    EXPECT_EQ(PictureFromStoredBytes(rle).pixel(0, 0), qRgb(0, 0, 0));
    // An icon's directory may announce a small picture and hold a PNG of any size: no path
    // takes one.
    const QByteArray icon = saved(gradient(16, 16), "ICO");
    EXPECT_EQ(LoadPictureData(icon).status, PictureFile::Unreadable);
    EXPECT_TRUE(PictureFromStoredBytes(icon).isNull());
}

class ItemPicture : public test::ItemCardFixture {
protected:
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(dir()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QString writeBmp(const QString& name, const QImage& image)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_TRUE(image.save(&buffer, "BMP"));
        return writeFile(name, bytes);
    }
};

TEST_F(ItemPicture, AClipboardPictureOfAMillionPixelsIsTakenAndALargerOneRefused)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    QGuiApplication::clipboard()->setImage(gradient(1000, 1000));
    card->pictureFromClipboard();
    ASSERT_TRUE(card->item().hasPicture);
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));
    EXPECT_TRUE(card->data().changed);
    EXPECT_EQ(card->contentsUp(), ctxImage);
    EXPECT_TRUE(card->picturePanel()->isVisible());

    QGuiApplication::clipboard()->setImage(gradient(1001, 1000));
    card->pictureFromClipboard();
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too big image for saving")));
    EXPECT_TRUE(card->item().hasPicture) << "the refused picture leaves the one the card had";
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));
}

TEST_F(ItemPicture, PictureFilesComeThroughTheirOwnReaders)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    card->pictureFromFile(writeFile(QStringLiteral("photo.jpg"), jpegOf(gradient(1000, 1000))));
    ASSERT_TRUE(card->item().hasPicture);
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));

    // A broken JPEG gives a message and leaves the card's picture alone.
    card->data().changed = false;
    QByteArray cut = jpegOf(gradient(300, 200));
    cut.truncate(cut.size() / 3);
    card->pictureFromFile(writeFile(QStringLiteral("broken.jpg"), cut));
    EXPECT_TRUE(messenger.saw(QStringLiteral("The picture file could not be read: ")));
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));
    EXPECT_FALSE(card->data().changed);

    messenger.clear();
    card->pictureFromFile(writeBmp(QStringLiteral("wide.bmp"), gradient(1001, 1000)));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too big image for saving")));
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));

    card->pictureFromFile(writeBmp(QStringLiteral("small.bmp"), gradient(30, 20)));
    EXPECT_EQ(card->item().picture.size(), QSize(30, 20));

    // A name of the store directory is found whatever its case; a missing one is reported.
    card->pictureFromFile(QStringLiteral("PHOTO.JPG"));
    EXPECT_EQ(card->item().picture.size(), QSize(1000, 1000));
    messenger.clear();
    card->pictureFromFile(QStringLiteral("nothing-here.bmp"));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Picture file not found: ")));
}

TEST_F(ItemPicture, AStoredPictureOverTheLimitIsRefusedKeptAndNamed)
{
    const QByteArray hostile = test::crafted::bmp(5000, 5000, 32, 0, 0, QByteArray(4, '\0'));
    addItem(kItem, QStringLiteral("the text\nsecond line"), {{kConceptA, 1}});
    exec(QStringLiteral("UPDATE ITEM SET Animation = ?1"), {hostile});
    ItemCardData& card = newItemCard(kItem, QString());
    ASSERT_TRUE(LoadItemCard(card, kItem));
    EXPECT_FALSE(card.hasPicture);
    EXPECT_TRUE(card.pictureUnread);

    QString out;
    ASSERT_EQ(runCli({QStringLiteral("--dir"), dir(), QStringLiteral("item"),
                      QStringLiteral("show"), QString::number(double(kItem), 'g', 15)},
                     &out),
              0);
    EXPECT_TRUE(out.contains(QStringLiteral("text\nthe text\nsecond line\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral(
        "picture refused (kept as stored): 5000 x 5000 pixels, more than 1000000\n")))
        << out.toStdString();

    card.text = QStringLiteral("edited");
    card.changed = true;
    ASSERT_TRUE(CommitCards(order()).committed);
    EXPECT_EQ(scalar(QStringLiteral("SELECT TX FROM ITEM")).toString(), QStringLiteral("edited"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT Animation FROM ITEM")).toByteArray(), hostile);
}

TEST_F(ItemPicture, TheImageUpdateDialogTakesAFileRemovesAndCopies)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    const QString file = writeBmp(QStringLiteral("pic.bmp"), gradient(40, 30));
    QGuiApplication::clipboard()->setText(QStringLiteral("text only"));
    test::ModalDriver driver;
    bool clipboardEnabled = true;
    driver.then([&](QWidget* w) {
        auto* dialog = qobject_cast<ImageUpdateDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("IMAGE UPDATE"));
        clipboardEnabled = dialog->clipboardButton()->isEnabled();
        dialog->fileField()->setText(file);
        dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    });
    card->carryOut(QStringLiteral("Image"), ItemPart::Text);
    EXPECT_FALSE(clipboardEnabled) << "no bitmap on the clipboard";
    ASSERT_TRUE(card->item().hasPicture);
    EXPECT_EQ(card->item().picture.size(), QSize(40, 30));

    driver.then([](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("copy"))->click(); });
    card->ImageUpdate();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(40, 30));

    driver.then([](QWidget* w) { w->findChild<QPushButton*>(QStringLiteral("remove"))->click(); });
    card->ImageUpdate();
    EXPECT_FALSE(card->item().hasPicture);
    EXPECT_EQ(card->contentsUp(), ctxText);
    EXPECT_TRUE(driver.strays.isEmpty());

    // The commit clears Animation for a removed picture and stores a kept one as BMP data.
    UpdateItems();
    EXPECT_TRUE(scalar(QStringLiteral("SELECT Animation FROM ITEM")).isNull());
    card->setPicture(gradient(40, 30));
    UpdateItems();
    const QByteArray stored = scalar(QStringLiteral("SELECT Animation FROM ITEM")).toByteArray();
    EXPECT_TRUE(stored.startsWith("BM"));
}

TEST_F(ItemPicture, TheDesktopPictureComesWithTheFocusedCardsShowRecord)
{
    messenger.expect(QStringLiteral("i461"));
    messenger.expect(QStringLiteral("Audio function disabled in this session."));
    TItem* first = makeKeyedCard(kItem, QStringLiteral("first"));
    TItem* second = makeKeyedCard(-46102.5L, QStringLiteral("second"), {400, 40});
    const QString key = ShowKeyOfItem(kItem);
    EXPECT_EQ(key, QString::number(double(kItem), 'g', 15) + QStringLiteral("*0*0*"));

    QGuiApplication::clipboard()->setImage(gradient(1001, 1000));
    first->carryOut(QStringLiteral("ConnectImage"), ItemPart::Text);
    EXPECT_TRUE(messenger.saw(QStringLiteral("Too big bitmap for saving")));
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SHOW")).toInt(), 0);

    QGuiApplication::clipboard()->setImage(gradient(120, 80));
    first->carryOut(QStringLiteral("ConnectImage"), ItemPart::Text);
    EXPECT_EQ(scalar(QStringLiteral("SELECT ConCatId FROM SHOW")).toString(), key);
    EXPECT_TRUE(desktoppicture::Visible());
    EXPECT_EQ(desktoppicture::CurrentImage().size(), QSize(120, 80));
    EXPECT_FALSE(session().commitRunning.raised());

    // Another card without record takes the picture away; the first brings it back.
    second->CardEnter();
    EXPECT_FALSE(desktoppicture::Visible());
    first->CardEnter();
    EXPECT_TRUE(desktoppicture::Visible());
    EXPECT_EQ(lastEnteredItem(), kItem);

    // Remove Image deletes the record of the picture shown.
    desktoppicture::RemoveImage();
    EXPECT_FALSE(desktoppicture::Visible());
    EXPECT_EQ(scalar(QStringLiteral("SELECT COUNT(*) FROM SHOW")).toInt(), 0);
    EXPECT_FALSE(session().shell.desktopImageVisible());
}

TEST_F(ItemPicture, WithoutASoundDeviceTheSoundSwitchesItselfOffOnce)
{
    TItem* first = makeKeyedCard(kItem, QStringLiteral("first"));
    ASSERT_TRUE(StoreShowAudio(ShowKeyOfItem(kItem), QByteArray("RIFF....WAVE")));
    first->CardEnter();
    EXPECT_TRUE(messenger.saw(QStringLiteral("No sound device was found.")));
    EXPECT_TRUE(messenger.saw(QStringLiteral("Audio function disabled in this session.")));
    EXPECT_TRUE(desktoppicture::AudioSwitchedOff());
    EXPECT_FALSE(session().settings.audioEnabled);

    messenger.clear();
    TItem* second = makeKeyedCard(-46102.5L, QStringLiteral("second"), {400, 40});
    ASSERT_TRUE(StoreShowAudio(ShowKeyOfItem(-46102.5L), QByteArray("RIFF....WAVE")));
    second->CardEnter();
    EXPECT_EQ(messenger.count(), 0) << "said once for the run";
    // Saving a recording does nothing while sound is off.
    EXPECT_FALSE(desktoppicture::SaveAudio(ShowKeyOfItem(kItem)));
}

TEST_F(ItemPicture, AStoredRecordingPlaysAndOnlyRubbishIsCleared)
{
    // The probe says there is a device; the player itself finds none on a machine without sound.
    messenger.allow(QStringLiteral("No sound device was found."));
    TMyPopUpMenu::setAudioDeviceProbe([] { return true; });
    wav::Sound sound;
    sound.sampleRate = 8000;
    sound.channels = 1;
    sound.bitsPerSample = 8;
    sound.samples = QByteArray(80, '\x80');
    QByteArray compressed = wav::serialize(sound);
    compressed[20] = 2;  // ADPCM
    const Timestamp ids[] = {kItem, -46102.5L, -46103.5L};
    const QByteArray stored[] = {wav::serialize(sound), QByteArray("RIFF....WAVE"), compressed};
    for (int i = 0; i < 3; ++i) {
        TItem* card = makeKeyedCard(ids[i], QStringLiteral("card"), {40 + 300 * i, 40});
        ASSERT_TRUE(StoreShowAudio(ShowKeyOfItem(ids[i]), stored[i]));
        messenger.clear();
        card->CardEnter();
        const QVariant kept = scalar(QStringLiteral("SELECT Audio FROM SHOW WHERE ConCatId = '") +
                                     ShowKeyOfItem(ids[i]) + QLatin1Char('\''));
        EXPECT_EQ(kept.toByteArray().isEmpty(), i == 1) << i;
        EXPECT_EQ(messenger.saw(QStringLiteral("Audio play failed - will clear the audio slot")),
                  i == 1)
            << i;
    }
    EXPECT_TRUE(messenger.saw(QStringLiteral("Only uncompressed (PCM) WAV sound can be played")));
    EXPECT_TRUE(session().settings.audioEnabled);
}

TEST_F(ItemPicture, ARecordingIsStoredUnderTheItemsKey)
{
    TItem* card = makeKeyedCard(kItem, QStringLiteral("text"));
    QFile wav(QDir(dir()).filePath(QStringLiteral("new.wav")));
    ASSERT_TRUE(wav.open(QIODevice::WriteOnly));
    wav.write("RIFF-recorded-WAVE");
    wav.close();
    card->carryOut(QStringLiteral("SaveAudio"), ItemPart::Text);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Audio FROM SHOW WHERE ConCatId = '") +
                     ShowKeyOfItem(kItem) + QLatin1Char('\''))
                  .toByteArray(),
              QByteArray("RIFF-recorded-WAVE"));
    // Without the SHOW file at start nothing is stored.
    session().pictureTableAvailable = false;
    wav.open(QIODevice::WriteOnly);
    wav.write("second");
    wav.close();
    card->carryOut(QStringLiteral("SaveAudio"), ItemPart::Text);
    EXPECT_EQ(scalar(QStringLiteral("SELECT Audio FROM SHOW")).toByteArray(),
              QByteArray("RIFF-recorded-WAVE"));
}

}  // namespace
