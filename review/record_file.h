// A game record file read from the disk: the record, or the player's message why it is none
// (the file's line and reason for a text that is not a record).
#pragma once

#include "game_record.h"

#include <QString>

// False with `error` set for the player when the file cannot be read or holds no record.
bool ReadRecordFile(const QString &file, GameRecord &record, QString &error);
