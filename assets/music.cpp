// Composes the presentation's music: reads the score (amber_drift.score),
// synthesises every instrument, arranges the rows and writes an Impulse
// Tracker module. Deterministic: the same score gives the same bytes.
//
//   vorn_gen_music <out.it> <score>
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

namespace {

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

bool Fail(const char *what, int line)
{
    std::fprintf(stderr, "vorn_gen_music: score line %d: %s\n", line, what);
    return false;
}

bool ParseScore(const char *path, Score &sc)
{
    FILE *f = std::fopen(path, "r");
    if (!f) {
        std::fprintf(stderr, "vorn_gen_music: cannot read %s\n", path);
        return false;
    }
    char buf[1024];
    int lineNo = 0;
    while (std::fgets(buf, sizeof buf, f)) {
        lineNo++;
        std::string line(buf);
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.erase(hash);
        std::istringstream in(line);
        std::string key;
        if (!(in >> key))
            continue;
        std::string rest;
        std::getline(in, rest);
        size_t b = rest.find_first_not_of(" \t");
        rest = b == std::string::npos ? "" : rest.substr(b);
        while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r' || rest.back() == ' '))
            rest.pop_back();
        std::istringstream r(rest);
        if (key == "title") {
            sc.title = rest;
        } else if (key == "message") {
            sc.message.push_back(rest);
        } else if (key == "speed") {
            r >> sc.speed;
        } else if (key == "tempo") {
            r >> sc.tempo;
        } else if (key == "beat") {
            std::string name, lane, steps;
            r >> name >> lane >> steps;
            if (steps.size() != 16 || (lane != "kick" && lane != "snare" && lane != "hat"))
                return Fail("beat needs a lane and 16 steps", lineNo);
            sc.beats[name][lane] = steps;
        } else if (key == "bassline" || key == "arpline") {
            std::string name, steps;
            r >> name >> steps;
            if (steps.size() != 16)
                return Fail("a line needs 16 steps", lineNo);
            (key == "bassline" ? sc.basslines : sc.arplines)[name] = steps;
        } else if (key == "phrase") {
            std::string name, tok;
            r >> name;
            auto &p = sc.phrases[name];
            while (r >> tok)
                p.push_back(tok);
        } else if (key == "seg") {
            Segment s;
            std::string bar1, bar2;
            r >> s.pos >> s.bars >> bar1;
            if (bar1 != "|" || s.bars <= 0)
                return Fail("seg <pos> <bars> | chords | layers", lineNo);
            std::string tok;
            while (r >> tok && tok != "|")
                s.chords.push_back(tok);
            if ((int)s.chords.size() != s.bars)
                return Fail("one chord per bar", lineNo);
            while (r >> tok) {
                Layer l;
                size_t at = tok.find('@');
                if (at != std::string::npos) {
                    l.vol = std::atoi(tok.c_str() + at + 1);
                    tok.erase(at);
                }
                size_t eq = tok.find('=');
                l.name = tok.substr(0, eq);
                if (eq != std::string::npos)
                    l.arg = tok.substr(eq + 1);
                s.layers.push_back(l);
            }
            sc.segs.push_back(s);
        } else {
            return Fail("unknown keyword", lineNo);
        }
    }
    std::fclose(f);
    return !sc.segs.empty();
}

// "A4" -> 69, "C#5" -> 73, "Bb3" -> 58; -1 when it is no note.
int NoteNumber(const std::string &t)
{
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (t.empty() || t[0] < 'A' || t[0] > 'G')
        return -1;
    int n = base[t[0] - 'A'];
    size_t i = 1;
    if (i < t.size() && t[i] == '#')
        n++, i++;
    else if (i < t.size() && t[i] == 'b')
        n--, i++;
    if (i >= t.size() || !std::isdigit((unsigned char)t[i]))
        return -1;
    return n + 12 * (std::atoi(t.c_str() + i) + 1);
}

struct Chord {
    int root = 0; // pitch class
    int bass = 0; // pitch class of the bass note
    std::vector<int> iv; // intervals above the root
};

bool ParseChord(const std::string &s, Chord &c)
{
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7};
    if (s.empty() || s[0] < 'A' || s[0] > 'G')
        return false;
    c.root = base[s[0] - 'A'];
    size_t i = 1;
    if (i < s.size() && (s[i] == '#' || s[i] == 'b'))
        c.root += s[i++] == '#' ? 1 : -1;
    c.root = (c.root + 12) % 12;
    std::string q = s.substr(i);
    c.bass = c.root;
    size_t slash = q.find('/');
    if (slash != std::string::npos) {
        Chord b;
        if (!ParseChord(q.substr(slash + 1), b))
            return false;
        c.bass = b.root;
        q.erase(slash);
    }
    static const std::map<std::string, std::vector<int>> kinds = {
        {"", {0, 4, 7}},           {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},
        {"m7", {0, 3, 7, 10}},     {"maj7", {0, 4, 7, 11}},  {"m9", {0, 3, 7, 10, 14}},
        {"maj9", {0, 4, 7, 11, 14}}, {"add9", {0, 4, 7, 14}}, {"madd9", {0, 3, 7, 14}},
        {"sus2", {0, 2, 7}},       {"sus4", {0, 5, 7}},      {"6", {0, 4, 7, 9}},
        {"m6", {0, 3, 7, 9}},      {"dim", {0, 3, 6}},       {"7sus4", {0, 5, 7, 10}}};
    auto it = kinds.find(q);
    if (it == kinds.end())
        return false;
    c.iv = it->second;
    return true;
}

// Four pad voices close to the previous voicing (smooth voice leading).
std::vector<int> PadVoicing(const Chord &c, const std::vector<int> &prev)
{
    std::vector<int> pcs;
    for (int v : c.iv)
        pcs.push_back((c.root + v) % 12);
    if (pcs.size() > 4) // drop the fifth, the colour tones matter more
        pcs.erase(pcs.begin() + 2);
    while (pcs.size() < 4)
        pcs.push_back(pcs[0]);
    std::vector<int> best;
    long bestCost = 1L << 30;
    for (int lo = 52; lo <= 64; lo++) {
        std::vector<int> v;
        for (int pc : pcs) {
            int n = lo + ((pc - lo) % 12 + 12) % 12;
            v.push_back(n);
        }
        std::sort(v.begin(), v.end());
        bool dup = false;
        for (size_t k = 1; k < v.size(); k++)
            dup |= v[k] == v[k - 1];
        if (dup) // doubled root: lift one copy an octave
            for (size_t k = 1; k < v.size(); k++)
                if (v[k] == v[k - 1])
                    v[k] += 12;
        std::sort(v.begin(), v.end());
        long cost = 0;
        for (size_t k = 0; k < 4; k++)
            cost += prev.empty() ? std::labs(v[k] - 62) : std::labs(v[k] - prev[k]) * 4;
        cost += std::labs(v[3] - 70) / 2; // keep the top voice around A#4
        if (cost < bestCost)
            bestCost = cost, best = v;
    }
    return best;
}

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

void Put(Song &s, int row, int ch, int note, int ins, int vol)
{
    if (row < 0 || row >= s.rows)
        return;
    Cell &c = s.At(row, ch);
    c.note = note;
    c.ins = note >= 0 && note < 120 ? ins : 0;
    c.vol = vol < 0 || c.ins == 0 ? -1 : std::min(64, vol);
}

int Scale(int v, int layerVol) { return (v * layerVol + 32) / 64; }

const Layer *Find(const Segment &s, const char *name)
{
    for (const Layer &l : s.layers)
        if (l.name == name)
            return &l;
    return nullptr;
}

int Vol(const Layer *l, int def) { return l && l->vol >= 0 ? l->vol : def; }

bool Arrange(const Score &sc, Song &song)
{
    // Rows per position, from the segments.
    int maxPos = 0;
    for (const Segment &s : sc.segs)
        maxPos = std::max(maxPos, s.pos);
    song.posRows.assign(maxPos + 1, 0);
    int row = 0, lastPos = 0;
    std::vector<Segment> segs = sc.segs;
    for (Segment &s : segs) {
        if (s.pos < lastPos || s.pos > lastPos + 1) {
            std::fprintf(stderr, "vorn_gen_music: segments must follow the positions in order\n");
            return false;
        }
        lastPos = s.pos;
        s.startRow = row;
        row += s.bars * 16;
        song.posRows[s.pos] += s.bars * 16;
    }
    for (int r : song.posRows)
        if (r < 32 || r > 200) {
            std::fprintf(stderr, "vorn_gen_music: a position needs 32..200 rows\n");
            return false;
        }
    song.rows = row;
    song.grid.assign(row, std::vector<Cell>(CH_COUNT));

    // Speed and tempo on the very first row, so starting anywhere is exact.
    song.At(0, CH_CTRL).cmd = 1;
    song.At(0, CH_CTRL).param = sc.speed;
    song.At(0, CH_TEMPO).cmd = 20;
    song.At(0, CH_TEMPO).param = sc.tempo;

    bool padOn = false, leadOn = false, bassOn = false;
    std::vector<int> voicing, prevChordIv;
    int prevChordRoot = -1;
    for (const Segment &s : segs) {
        const int r0 = s.startRow, len = s.bars * 16;
        std::vector<Chord> chords(s.bars);
        for (int b = 0; b < s.bars; b++)
            if (!ParseChord(s.chords[b], chords[b])) {
                std::fprintf(stderr, "vorn_gen_music: unknown chord %s\n", s.chords[b].c_str());
                return false;
            }

        // Pad: four voices, new notes only when the chord changes.
        const Layer *pad = Find(s, "pad"), *swell = Find(s, "swell");
        if (pad || swell) {
            const int ins = swell ? INS_SWELL : INS_PAD;
            const int v = Vol(swell ? swell : pad, swell ? 34 : 30);
            for (int b = 0; b < s.bars; b++) {
                const Chord &c = chords[b];
                if (padOn && c.root == prevChordRoot && c.iv == prevChordIv)
                    continue;
                voicing = PadVoicing(c, voicing);
                for (int k = 0; k < 4; k++)
                    Put(song, r0 + b * 16, CH_PAD0 + k, voicing[k], ins, v);
                prevChordRoot = c.root;
                prevChordIv = c.iv;
                padOn = true;
            }
        } else if (padOn) {
            for (int k = 0; k < 4; k++)
                Put(song, r0, CH_PAD0 + k, NOTE_OFF, 0, -1);
            padOn = false;
            prevChordRoot = -1;
        }

        // Bass.
        if (const Layer *l = Find(s, "bass")) {
            auto it = sc.basslines.find(l->arg);
            if (it == sc.basslines.end()) {
                std::fprintf(stderr, "vorn_gen_music: no bassline %s\n", l->arg.c_str());
                return false;
            }
            const int v = Vol(l, 50);
            for (int b = 0; b < s.bars; b++) {
                const int root = 33 + (chords[b].bass - 9 + 12) % 12; // A1..G#2
                for (int st = 0; st < 16; st++) {
                    const char ch = it->second[st];
                    const int rr = r0 + b * 16 + st;
                    if (ch == 'R')
                        Put(song, rr, CH_BASS, root, INS_BASS, v);
                    else if (ch == 'O')
                        Put(song, rr, CH_BASS, root + 12, INS_BASS, v - 6);
                    else if (ch == 'F')
                        Put(song, rr, CH_BASS, root + 7, INS_BASS, v - 4);
                    else if (ch == '-')
                        Put(song, rr, CH_BASS, NOTE_OFF, 0, -1);
                }
            }
            bassOn = true;
        } else if (bassOn) {
            Put(song, r0, CH_BASS, NOTE_OFF, 0, -1);
            bassOn = false;
        }

        // Arpeggio over two octaves of chord tones.
        if (const Layer *l = Find(s, "arp")) {
            auto it = sc.arplines.find(l->arg);
            if (it == sc.arplines.end()) {
                std::fprintf(stderr, "vorn_gen_music: no arpline %s\n", l->arg.c_str());
                return false;
            }
            const int v = Vol(l, 30);
            for (int b = 0; b < s.bars; b++) {
                const Chord &c = chords[b];
                const int root = 50 + (c.root - 2 + 12) % 12; // D3..C#4
                std::vector<int> iv;
                for (int x : c.iv)
                    if (x < 12)
                        iv.push_back(x);
                for (int st = 0; st < 16; st++) {
                    const char ch = it->second[st];
                    if (ch < '1' || ch > '8')
                        continue;
                    const int k = ch - '1', n = (int)iv.size();
                    int note = root + iv[k % n] + 12 * (k / n);
                    if (note > 84) // keep the pluck's partials below the mixer's Nyquist
                        note -= 12;
                    Put(song, r0 + b * 16 + st, CH_ARP, note, INS_PLUCK, v - (st % 4 ? 4 : 0));
                }
            }
        }

        // Drums.
        const Layer *roll = Find(s, "roll");
        if (const Layer *l = Find(s, "drums")) {
            auto it = sc.beats.find(l->arg);
            if (it == sc.beats.end()) {
                std::fprintf(stderr, "vorn_gen_music: no beat %s\n", l->arg.c_str());
                return false;
            }
            const int lv = Vol(l, 64);
            for (const auto &lane : it->second) {
                if (lane.first == "snare" && roll)
                    continue;
                for (int b = 0; b < s.bars; b++)
                    for (int st = 0; st < 16; st++) {
                        const char ch = lane.second[st];
                        int v = ch == 'X' ? 64 : ch == 'x' ? 46 : ch == 'o' ? 24 : ch == 'O' ? 40 : 0;
                        if (!v)
                            continue;
                        const int rr = r0 + b * 16 + st;
                        if (lane.first == "kick")
                            Put(song, rr, CH_KICK, 60, INS_KICK, Scale(v, lv));
                        else if (lane.first == "snare")
                            Put(song, rr, CH_SNARE, 60, INS_SNARE, Scale(v * 7 / 8, lv));
                        else
                            Put(song, rr, CH_HAT, 60, ch == 'O' ? INS_OHAT : INS_HAT, Scale(v * 5 / 8, lv));
                    }
            }
        }
        if (roll) { // eighths, then sixteenths in the last bar, growing louder
            for (int i = 0; i < len; i++) {
                const bool last = i >= len - 16;
                if (!last && (i & 1))
                    continue;
                Put(song, r0 + i, CH_SNARE, 60, INS_SNARE, 8 + 40 * i / len);
            }
        }
        if (Find(s, "fill"))
            for (int i = 0; i < 8; i++)
                Put(song, r0 + len - 8 + i, CH_SNARE, 60, INS_SNARE, 30 + i * 4);
        if (Find(s, "crash"))
            Put(song, r0, CH_CRASH, 60, INS_CRASH, 44);
        if (Find(s, "riser")) {
            // Noise sweep: starts low and quiet, slides up, ends on the downbeat.
            Put(song, r0, CH_RISER, 48, INS_NOISE, 4);
            for (int i = 1; i < len; i++) {
                Cell &c = song.At(r0 + i, CH_RISER);
                c.vol = 4 + 36 * i / len;
                c.cmd = 6; // F: pitch slide up
                c.param = std::max(1, 96 / len); // about two octaves over the segment
            }
            if (r0 + len < song.rows)
                Put(song, r0 + len, CH_RISER, NOTE_CUT, 0, -1);
        }

        // Melodies: eighth-note tokens; the lead gets a quiet echo 3 rows late.
        for (const char *name : {"lead", "bell"}) {
            const Layer *l = Find(s, name);
            const bool isLead = name[0] == 'l';
            if (!l) {
                if (isLead && leadOn) {
                    Put(song, r0, CH_LEAD, NOTE_OFF, 0, -1);
                    Put(song, r0 + 3, CH_ECHO, NOTE_OFF, 0, -1);
                    leadOn = false;
                }
                continue;
            }
            auto it = sc.phrases.find(l->arg);
            if (it == sc.phrases.end() || it->second.empty()) {
                std::fprintf(stderr, "vorn_gen_music: no phrase %s\n", l->arg.c_str());
                return false;
            }
            const int v = Vol(l, isLead ? 46 : 44);
            const auto &p = it->second;
            for (int e = 0; e < len / 2; e++) {
                const std::string &t = p[e % p.size()];
                const int rr = r0 + e * 2;
                int note = NoteNumber(t);
                if (t == "-")
                    note = NOTE_OFF;
                else if (note < 0)
                    continue;
                if (isLead) {
                    Put(song, rr, CH_LEAD, note, INS_LEAD, v);
                    Put(song, rr + 3, CH_ECHO, note, INS_LEAD, v * 2 / 5);
                    leadOn = true;
                } else if (note != NOTE_OFF) {
                    Put(song, rr, CH_BELL, note, INS_BELL, v);
                }
            }
        }

        // Global fade to silence over the segment.
        if (Find(s, "fade"))
            for (int i = 0; i < len; i++) {
                const double x = 1.0 - (double)(i + 1) / len;
                Cell &c = song.At(r0 + i, CH_CTRL);
                c.cmd = 22; // V: global volume
                c.param = (int)std::lround(128.0 * x * std::sqrt(x));
            }
    }
    // Pan commands at the top of every pattern, so any start position has them.
    int top = 0;
    for (int rows : song.posRows) {
        for (int ch = 0; ch < CH_COUNT; ch++) {
            Cell &c = song.At(top, ch);
            if (ch == CH_CTRL || ch == CH_TEMPO || c.cmd)
                continue;
            c.cmd = 24; // X: set panning
            c.param = std::min(255, kPan[ch] * 4);
        }
        top += rows;
    }
    return true;
}

// ---- Synthesis -----------------------------------------------------------

struct Sample {
    const char *name;
    std::vector<double> pcm; // -1..1
    int c5speed = 22050;
    int loopStart = -1, loopEnd = -1; // loopEnd exclusive
    int vibSpeed = 0, vibDepth = 0, vibRate = 0;
    double gain = 0.9; // peak after normalising
};

// Small fixed generator so the noise is the same on every machine.
struct Rng {
    uint32_t s;
    double Next() // -1..1
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return (double)s / 2147483648.0 - 1.0;
    }
};

int C5Speed(int period) { return (int)std::lround(period * kC4); }

// Sum of harmonics with per-harmonic amplitude that may change over time.
// P samples per cycle; phases start at zero so the first sample is silent.
template <typename Amp> std::vector<double> Additive(int length, int P, int maxH, Amp amp)
{
    std::vector<double> out(length, 0.0);
    for (int h = 1; h <= maxH; h++)
        for (int n = 0; n < length; n++) {
            const double a = amp(h, n);
            if (a != 0.0)
                out[n] += a * std::sin(2.0 * kPi * h * (double)(n % P) / P);
        }
    return out;
}

// A sample that is one whole loop may begin anywhere on it: start it at the
// quietest rising zero crossing so a note without an envelope does not click.
void StartAtZeroCrossing(Sample &s)
{
    const int L = (int)s.pcm.size();
    int best = 0;
    double bestAbs = 1e30;
    for (int i = 0; i < L; i++) {
        const double a = s.pcm[i], b = s.pcm[(i + 1) % L];
        if (a <= 0.0 && b > 0.0 && std::fabs(a) < bestAbs)
            bestAbs = std::fabs(a), best = i;
    }
    std::rotate(s.pcm.begin(), s.pcm.begin() + best, s.pcm.end());
}

Sample MakePad()
{
    // Three detuned saws whose partials are whole numbers of cycles in the
    // loop, so the loop joins without a click; the beating is the chorus.
    Sample s;
    s.name = "Pad";
    const int L = 32768, P = 256, base = L / P;
    s.pcm.assign(L, 0.0);
    Rng rng{0x1234567u};
    const int detune[3] = {base - 1, base, base + 1};
    for (int d = 0; d < 3; d++)
        for (int h = 1; h <= 40; h++) {
            const double a = (1.0 / h) / (1.0 + (h / 7.0) * (h / 7.0));
            const double ph = (rng.Next() + 1.0) * kPi;
            const double w = 2.0 * kPi * (double)(h * detune[d]) / L;
            for (int n = 0; n < L; n++)
                s.pcm[n] += a * std::sin(w * n + ph);
        }
    StartAtZeroCrossing(s);
    s.c5speed = C5Speed(P);
    s.loopStart = 0;
    s.loopEnd = L;
    s.gain = 0.8;
    return s;
}

Sample MakeBass()
{
    // Native pitch A1: 400 samples a cycle at 22000 samples/s. A bright
    // pluck that darkens into a round steady tone, which then loops.
    Sample s;
    s.name = "Bass";
    const int P = 400, attack = 14 * P, length = attack + 2 * P;
    const double rate = P * 55.0;
    s.pcm = Additive(length, P, 30, [&](int h, int n) {
        const double t = n < attack ? 1.0 - (double)n / attack : 0.0;
        const double cut = 2.5 + 14.0 * t * t * t;
        double a = (1.0 / h) / (1.0 + (h / cut) * (h / cut));
        if (h == 1)
            a *= 1.6; // a little more fundamental
        const double on = std::min(1.0, n / (0.003 * rate));
        return a * on;
    });
    s.c5speed = C5Speed(P);
    s.loopStart = attack;
    s.loopEnd = length;
    return s;
}

Sample MakeLead()
{
    // Native pitch C5; hollow square-ish tone, brighter on the attack, with
    // the tracker's own vibrato fading in.
    Sample s;
    s.name = "Lead";
    const int P = 128, attack = 42 * P, length = attack + 4 * P;
    s.pcm = Additive(length, P, 15, [&](int h, int n) {
        const double t = n < attack ? 1.0 - (double)n / attack : 0.0;
        const double cut = 4.5 + 6.0 * t * t;
        const double odd = (h & 1) ? 1.0 : 0.35;
        return odd / h / (1.0 + (h / cut) * (h / cut)) * std::min(1.0, n / 96.0);
    });
    s.c5speed = C5Speed(P);
    s.loopStart = attack;
    s.loopEnd = length;
    s.vibSpeed = 10;
    s.vibDepth = 6;
    s.vibRate = 40;
    return s;
}

Sample MakePluck()
{
    // Native pitch A4, half a second, upper harmonics dying first.
    Sample s;
    s.name = "Pluck";
    const int P = 64;
    const double rate = P * 440.0;
    const int length = (int)(0.5 * rate);
    s.pcm = Additive(length, P, 12, [&](int h, int n) {
        const double t = n / rate;
        return std::pow((double)h, -1.2) * std::exp(-t * (4.0 + 2.5 * h)) * std::min(1.0, n / (0.002 * rate));
    });
    for (int n = length * 9 / 10; n < length; n++)
        s.pcm[n] *= (double)(length - n) / (length / 10);
    s.c5speed = C5Speed(P);
    return s;
}

Sample MakeBell()
{
    // Native pitch E5; inharmonic partials with their own decays.
    Sample s;
    s.name = "Bell";
    const int P = 48;
    const double f0 = 659.2551, rate = P * f0;
    const int length = (int)(1.2 * rate);
    const double ratio[5] = {1.0, 2.0, 2.76, 4.07, 5.4};
    const double amp[5] = {1.0, 0.45, 0.3, 0.16, 0.1};
    const double decay[5] = {1.6, 2.4, 3.5, 5.0, 7.0};
    s.pcm.assign(length, 0.0);
    for (int k = 0; k < 5; k++)
        for (int n = 0; n < length; n++) {
            const double t = n / rate;
            s.pcm[n] += amp[k] * std::exp(-t * decay[k]) * std::sin(2.0 * kPi * f0 * ratio[k] * t);
        }
    for (int n = 0; n < length; n++) {
        s.pcm[n] *= std::min(1.0, n / (0.001 * rate));
        if (n > length * 4 / 5)
            s.pcm[n] *= (double)(length - n) / (length / 5);
    }
    s.c5speed = (int)std::lround(rate * std::pow(2.0, (60 - 76) / 12.0));
    return s;
}

Sample MakeKick()
{
    Sample s;
    s.name = "Kick";
    const double rate = 22050;
    const int length = (int)(0.35 * rate);
    s.pcm.assign(length, 0.0);
    double phase = 0.0;
    Rng rng{0xC0FFEEu};
    double lp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double f = 44.0 + 120.0 * std::exp(-t / 0.028);
        phase += 2.0 * kPi * f / rate;
        lp += 0.3 * (rng.Next() - lp);
        const double click = lp * std::exp(-t / 0.003) * 0.4;
        s.pcm[n] = (std::sin(phase) * std::exp(-t / 0.14) + click) * std::min(1.0, n / 16.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 22050;
    s.gain = 0.95;
    return s;
}

Sample MakeSnare()
{
    Sample s;
    s.name = "Snare";
    const double rate = 22050;
    const int length = (int)(0.26 * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{0x5EEDu};
    double hp = 0.0, prev = 0.0, lp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.85 * (hp + x - prev); // one-pole high-pass
        prev = x;
        lp += 0.55 * (hp - lp);
        const double tone = 0.6 * std::sin(2 * kPi * 185 * t) + 0.3 * std::sin(2 * kPi * 330 * t);
        s.pcm[n] = tone * std::exp(-t / 0.045) + 0.9 * lp * std::exp(-t / 0.075);
        s.pcm[n] *= std::min(1.0, n / 20.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 22050;
    return s;
}

Sample MakeHat(bool open)
{
    Sample s;
    s.name = open ? "Open hat" : "Hat";
    const double rate = 44100;
    const int length = (int)((open ? 0.4 : 0.07) * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{open ? 0xABCDu : 0x4A7u};
    double prev = 0.0, hp = 0.0, hp2 = 0.0, prev2 = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.7 * (hp + x - prev);
        prev = x;
        hp2 = 0.7 * (hp2 + hp - prev2);
        prev2 = hp;
        s.pcm[n] = hp2 * std::exp(-t / (open ? 0.11 : 0.014)) * std::min(1.0, n / 10.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 44100;
    s.gain = 0.75;
    return s;
}

Sample MakeCrash()
{
    Sample s;
    s.name = "Crash";
    const double rate = 28000;
    const int length = (int)(1.3 * rate);
    s.pcm.assign(length, 0.0);
    Rng rng{0xC3A5u};
    double prev = 0.0, hp = 0.0;
    for (int n = 0; n < length; n++) {
        const double t = n / rate;
        const double x = rng.Next();
        hp = 0.8 * (hp + x - prev);
        prev = x;
        s.pcm[n] = hp * std::exp(-t / 0.42) * std::min(1.0, n / 30.0);
        if (n > length * 3 / 4)
            s.pcm[n] *= (double)(length - n) / (length / 4);
    }
    s.c5speed = 28000;
    s.gain = 0.7;
    return s;
}

Sample MakeNoise()
{
    // Looped noise made of whole-cycle partials with random phases, so it
    // repeats without a seam.
    Sample s;
    s.name = "Noise";
    const int L = 8192;
    s.pcm.assign(L, 0.0);
    Rng rng{0x9E3779B9u};
    for (int k = 40; k <= 1800; k += 3) {
        const double a = 1.0 / std::sqrt((double)k);
        const double ph = (rng.Next() + 1.0) * kPi;
        const double w = 2.0 * kPi * k / L;
        for (int n = 0; n < L; n++)
            s.pcm[n] += a * std::sin(w * n + ph);
    }
    StartAtZeroCrossing(s);
    s.c5speed = 22050;
    s.loopStart = 0;
    s.loopEnd = L;
    s.gain = 0.7;
    return s;
}

std::vector<int16_t> ToPcm16(const Sample &s)
{
    double peak = 1e-9;
    for (double v : s.pcm)
        peak = std::max(peak, std::fabs(v));
    std::vector<int16_t> out(s.pcm.size());
    for (size_t i = 0; i < s.pcm.size(); i++)
        out[i] = (int16_t)std::lround(s.pcm[i] / peak * s.gain * 32767.0);
    return out;
}

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

struct Writer {
    std::vector<uint8_t> b;
    void U8(int v) { b.push_back((uint8_t)v); }
    void U16(int v) { U8(v & 0xFF), U8((v >> 8) & 0xFF); }
    void U32(uint32_t v) { U16(v & 0xFFFF), U16(v >> 16); }
    void Str(const std::string &s, size_t n)
    {
        for (size_t i = 0; i < n; i++)
            U8(i < s.size() ? s[i] : 0);
    }
    void Set32(size_t at, uint32_t v)
    {
        for (int i = 0; i < 4; i++)
            b[at + i] = (uint8_t)(v >> (8 * i));
    }
};

void WriteEnvelope(Writer &w, const Env &e)
{
    const size_t start = w.b.size();
    w.U8(e.nodes.empty() ? 0 : (1 | (e.sustain >= 0 ? 4 : 0)));
    w.U8((int)e.nodes.size());
    w.U8(0), w.U8(0);                                                 // loop
    w.U8(e.sustain < 0 ? 0 : e.sustain), w.U8(e.sustain < 0 ? 0 : e.sustain); // sustain loop
    for (int i = 0; i < 25; i++) {
        const bool have = i < (int)e.nodes.size();
        w.U8(have ? e.nodes[i].second : 0);
        w.U16(have ? e.nodes[i].first : 0);
    }
    w.U8(0);
    if (w.b.size() - start != 82)
        std::abort();
}

void PackPattern(Writer &w, const Song &song, int firstRow, int rows)
{
    std::vector<uint8_t> data;
    for (int r = 0; r < rows; r++) {
        for (int ch = 0; ch < CH_COUNT; ch++) {
            const Cell &c = song.grid[firstRow + r][ch];
            int mask = 0;
            if (c.note != NOTE_NONE)
                mask |= 1;
            if (c.ins)
                mask |= 2;
            if (c.vol >= 0)
                mask |= 4;
            if (c.cmd)
                mask |= 8;
            if (!mask)
                continue;
            data.push_back((uint8_t)((ch + 1) | 0x80));
            data.push_back((uint8_t)mask);
            if (mask & 1)
                data.push_back((uint8_t)c.note);
            if (mask & 2)
                data.push_back((uint8_t)c.ins);
            if (mask & 4)
                data.push_back((uint8_t)c.vol);
            if (mask & 8)
                data.push_back((uint8_t)c.cmd), data.push_back((uint8_t)c.param);
        }
        data.push_back(0);
    }
    w.U16((int)data.size());
    w.U16(rows);
    w.U32(0);
    w.b.insert(w.b.end(), data.begin(), data.end());
}

bool WriteIT(const char *path, const Score &sc, const Song &song, const std::vector<Sample> &smp,
             const std::vector<Instrument> &ins)
{
    Writer w;
    const int ordNum = (int)song.posRows.size() + 1; // with the end marker
    const int insNum = (int)ins.size(), smpNum = (int)smp.size(), patNum = (int)song.posRows.size();
    std::string msg;
    for (size_t i = 0; i < sc.message.size(); i++)
        msg += sc.message[i] + (i + 1 < sc.message.size() ? "\r" : "");
    msg.push_back('\0');

    w.Str("IMPM", 4);
    w.Str(sc.title, 26);
    w.U8(4), w.U8(16);        // row highlight: beat, bar
    w.U16(ordNum);
    w.U16(insNum);
    w.U16(smpNum);
    w.U16(patNum);
    w.U16(0x0214);            // made with
    w.U16(0x0214);            // compatible with
    w.U16(1 | 4 | 8);         // stereo, instruments, linear slides
    w.U16(1);                 // song message attached
    w.U8(128);                // global volume
    w.U8(48);                 // mix volume
    w.U8(sc.speed);
    w.U8(sc.tempo);
    w.U8(128);                // panning separation
    w.U8(0);
    w.U16((int)msg.size());
    const size_t msgOffsetAt = w.b.size();
    w.U32(0);
    w.U32(0);
    for (int ch = 0; ch < 64; ch++)
        w.U8(ch < CH_COUNT ? kPan[ch] : 32 + 128); // unused channels off
    for (int ch = 0; ch < 64; ch++)
        w.U8(64);
    for (size_t p = 0; p < song.posRows.size(); p++)
        w.U8((int)p);
    w.U8(255);
    const size_t insTable = w.b.size();
    for (int i = 0; i < insNum + smpNum + patNum; i++)
        w.U32(0);
    const size_t smpTable = insTable + 4 * insNum, patTable = smpTable + 4 * smpNum;

    w.Set32(msgOffsetAt, (uint32_t)w.b.size());
    w.b.insert(w.b.end(), msg.begin(), msg.end());

    for (int i = 0; i < insNum; i++) {
        w.Set32(insTable + 4 * i, (uint32_t)w.b.size());
        const size_t start = w.b.size();
        const Instrument &in = ins[i];
        w.Str("IMPI", 4);
        w.Str("", 12);
        w.U8(0);
        w.U8(in.nna);
        w.U8(0), w.U8(0); // no duplicate check
        w.U16(in.fadeout);
        w.U8(0), w.U8(60); // pitch-pan separation, centre
        w.U8(128);         // instrument global volume
        w.U8(32 + 128);    // default pan not used
        w.U8(0), w.U8(0);  // random volume, pan
        w.U16(0x0214);
        w.U8(1), w.U8(0);
        w.Str(in.name, 26);
        w.U8(0), w.U8(0);  // filter cut-off, resonance: off
        w.U8(0), w.U8(0);  // MIDI channel, program
        w.U16(0);
        for (int n = 0; n < 120; n++)
            w.U8(n), w.U8(in.sample); // every note: itself, the instrument's sample
        WriteEnvelope(w, in.vol);
        WriteEnvelope(w, Env{});
        WriteEnvelope(w, Env{});
        w.U32(0);
        if (w.b.size() - start != 554)
            std::abort();
    }

    std::vector<size_t> dataAt(smpNum);
    for (int i = 0; i < smpNum; i++) {
        w.Set32(smpTable + 4 * i, (uint32_t)w.b.size());
        const Sample &s = smp[i];
        const bool loop = s.loopStart >= 0;
        w.Str("IMPS", 4);
        w.Str("", 12);
        w.U8(0);
        w.U8(64);                           // sample global volume
        w.U8(1 | 2 | (loop ? 16 : 0));      // has data, 16-bit, loop
        w.U8(64);                           // default volume
        w.Str(s.name, 26);
        w.U8(1);                            // signed samples
        w.U8(32);                           // default pan, not used
        w.U32((uint32_t)s.pcm.size());
        w.U32(loop ? s.loopStart : 0);
        w.U32(loop ? s.loopEnd : 0);
        w.U32((uint32_t)s.c5speed);
        w.U32(0), w.U32(0);                 // sustain loop
        dataAt[i] = w.b.size();
        w.U32(0);
        w.U8(s.vibSpeed), w.U8(s.vibDepth), w.U8(s.vibRate), w.U8(0);
    }

    int row = 0;
    for (int p = 0; p < patNum; p++) {
        w.Set32(patTable + 4 * p, (uint32_t)w.b.size());
        PackPattern(w, song, row, song.posRows[p]);
        row += song.posRows[p];
    }

    for (int i = 0; i < smpNum; i++) {
        w.Set32(dataAt[i], (uint32_t)w.b.size());
        for (int16_t v : ToPcm16(smp[i]))
            w.U16((uint16_t)v);
    }

    std::string tmp = std::string(path) + ".tmp";
    FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fwrite(w.b.data(), 1, w.b.size(), f) == w.b.size();
    if (std::fclose(f) != 0 || !ok || std::rename(tmp.c_str(), path) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vorn_gen_music OUT.it SCORE\n");
        return 2;
    }
    Score sc;
    if (!ParseScore(argv[2], sc))
        return 1;
    Song song;
    if (!Arrange(sc, song))
        return 1;

    std::vector<Sample> smp;
    smp.push_back(MakePad());
    smp.push_back(MakeBass());
    smp.push_back(MakeLead());
    smp.push_back(MakePluck());
    smp.push_back(MakeBell());
    smp.push_back(MakeKick());
    smp.push_back(MakeSnare());
    smp.push_back(MakeHat(false));
    smp.push_back(MakeHat(true));
    smp.push_back(MakeCrash());
    smp.push_back(MakeNoise());

    // Envelope ticks: 15.625 ms each at tempo 160.
    std::vector<Instrument> ins = {
        {"Pad", 1, 2, 24, {{{0, 0}, {20, 64}, {90, 0}}, 1}},
        {"Pad swell", 1, 2, 16, {{{0, 0}, {110, 64}, {200, 0}}, 1}},
        {"Bass", 2, 0, 64, {{{0, 64}, {5, 0}}, 0}},
        {"Lead", 3, 2, 48, {{{0, 0}, {2, 64}, {40, 50}, {52, 0}}, 2}},
        {"Pluck", 4, 1, 0, {}},
        {"Bell", 5, 1, 0, {}},
        {"Kick", 6, 0, 0, {}},
        {"Snare", 7, 0, 0, {}},
        {"Hat", 8, 0, 0, {}},
        {"Open hat", 9, 0, 0, {}},
        {"Crash", 10, 1, 0, {}},
        {"Noise", 11, 0, 64, {}},
    };
    if ((int)ins.size() != INS_COUNT || smp.size() != ins.size() - 1)
        return 1;
    if (!WriteIT(argv[1], sc, song, smp, ins)) {
        std::fprintf(stderr, "vorn_gen_music: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
