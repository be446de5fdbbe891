// The music generator's pieces: the score and its parser, the arrangement
// into tracker rows, the synthesised samples and the Impulse Tracker writer.
#ifndef VORN_ASSETS_MUSIC_GEN_H
#define VORN_ASSETS_MUSIC_GEN_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>


namespace vgm {

const double kPi = 3.14159265358979323846;
const double kC4 = 261.6255653; // played at tracker note C-5 (60) by every pitched sample

// ---- Score ---------------------------------------------------------------

struct Layer {
    std::string name, arg;
    int vol = -1; // -1: the layer's default
};

struct Segment {
    int pos = 0, bars = 0;
    std::vector<std::string> chords;
    std::vector<Layer> layers;
    int startRow = 0;
};

struct Score {
    std::string title;
    std::vector<std::string> message;
    int speed = 6, tempo = 125;
    std::map<std::string, std::map<std::string, std::string>> beats; // name -> lane -> steps
    std::map<std::string, std::string> basslines, arplines;
    std::map<std::string, std::vector<std::string>> phrases;
    std::vector<Segment> segs;
};

struct Chord {
    int root = 0; // pitch class
    int bass = 0; // pitch class of the bass note
    std::vector<int> iv; // intervals above the root
};

bool ParseScore(const char *path, Score &sc);
// "A4" -> 69, "C#5" -> 73, "Bb3" -> 58; -1 when it is no note.
int NoteNumber(const std::string &t);
bool ParseChord(const std::string &s, Chord &c);
// Four pad voices close to the previous voicing (smooth voice leading).
std::vector<int> PadVoicing(const Chord &c, const std::vector<int> &prev);

// ---- Arrangement ---------------------------------------------------------

enum { NOTE_NONE = -1, NOTE_OFF = 255, NOTE_CUT = 254 };

struct Cell {
    int note = NOTE_NONE, ins = 0, vol = -1, cmd = 0, param = 0;
};

enum Chan {
    CH_KICK, CH_SNARE, CH_HAT, CH_BASS, CH_PAD0, CH_PAD1, CH_PAD2, CH_PAD3, CH_ARP, CH_LEAD,
    CH_ECHO, CH_BELL, CH_CRASH, CH_RISER, CH_CTRL, CH_TEMPO, CH_COUNT
};

// Channel panning, 0 (left) .. 64 (right). Written in the header and, since
// libmikmod replaces the header's values by its own default for stereo IT
// files, also as a pan command on the first row of every pattern.
const int kPan[CH_COUNT] = {32, 30, 40, 32, 18, 46, 24, 40, 44, 30, 40, 38, 36, 32, 32, 32};

enum Ins {
    INS_PAD = 1, INS_SWELL, INS_BASS, INS_LEAD, INS_PLUCK, INS_BELL, INS_KICK, INS_SNARE, INS_HAT,
    INS_OHAT, INS_CRASH, INS_NOISE, INS_COUNT = INS_NOISE
};

struct Song {
    int rows = 0;
    std::vector<std::vector<Cell>> grid; // [row][channel]
    std::vector<int> posRows;            // rows of each order position
    Cell &At(int row, int ch) { return grid[row][ch]; }
};


bool Arrange(const Score &sc, Song &song);

// ---- Synthesis -----------------------------------------------------------

struct Sample {
    const char *name;
    std::vector<double> pcm; // -1..1
    int c5speed = 22050;
    int loopStart = -1, loopEnd = -1; // loopEnd exclusive
    int vibSpeed = 0, vibDepth = 0, vibRate = 0;
    double gain = 0.9; // peak after normalising
};

Sample MakePad();
Sample MakeBass();
Sample MakeLead();
Sample MakePluck();
Sample MakeBell();
Sample MakeKick();
Sample MakeSnare();
Sample MakeHat(bool open);
Sample MakeCrash();
Sample MakeNoise();
std::vector<int16_t> ToPcm16(const Sample &s);

// ---- Impulse Tracker writer ----------------------------------------------

struct Env {
    std::vector<std::pair<int, int>> nodes; // (tick, value 0..64)
    int sustain = -1;
};

struct Instrument {
    const char *name;
    int sample; // 1-based
    int nna;     // 0 cut, 1 continue, 2 note off, 3 note fade
    int fadeout; // 0..256
    Env vol;
};


bool WriteIT(const char *path, const Score &sc, const Song &song, const std::vector<Sample> &smp,
             const std::vector<Instrument> &ins);

} // namespace vgm

#endif
