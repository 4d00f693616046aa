#pragma once

#include "store/Timestamps.h"

#include <QByteArray>
#include <QString>

namespace qb {

// The desktop picture and sound of an item, a concept or a project window live in SHOW under a
// key of four parts joined by "*", with a "*" after the third.
QString ShowKeyOfItem(Timestamp itemId);
QString ShowKeyOfConcept(Timestamp conceptId);
QString ShowKeyOfProject(const QString& project);

struct ShowRecord {
    bool found = false;
    QByteArray image;  // BMP data, empty when none
    QByteArray audio;  // WAV data, empty when none
};

// Whether SHOW can be used (its file was there at start and is attached).
bool ShowTableUsable();

// Reads the record of a key; false with *error when the table could not be read.
bool ReadShowRecord(const QString& key, ShowRecord* record, QString* error = nullptr);
// Sets the picture or the sound of a key, making the record when there is none.
bool StoreShowImage(const QString& key, const QByteArray& image, QString* error = nullptr);
bool StoreShowAudio(const QString& key, const QByteArray& audio, QString* error = nullptr);
bool ClearShowAudio(const QString& key, QString* error = nullptr);
// Deletes the record of a key (nothing when there is none).
bool RemoveShowRecord(const QString& key, QString* error = nullptr);

}  // namespace qb
