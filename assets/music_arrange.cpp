// The arrangement: the score's segments laid out as tracker rows.
#include "assets/music_gen.h"

namespace vgm {

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

} // namespace vgm
