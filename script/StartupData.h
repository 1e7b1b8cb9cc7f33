#pragma once

class GameLog;

// What the game reads before its scripts run: the shop's items, the
// localised texts, the score tables and the enemy data into the game data
// and the enemy-data map, and the named sounds into the sound manager. Each
// line a reader skips, and each sound that cannot be had, leaves one line
// "data: <file>:<line>: <what>" in the log; a damaged score file leaves
// "data: Data\scores.dat: damaged; no scores read" and no scores. A file
// that is not there is no fault: its data stays empty.
void LoadStartupData(GameLog& log);
