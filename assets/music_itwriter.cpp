// The Impulse Tracker writer: header, instruments, samples and packed
// patterns, written under a temporary name and renamed when complete.
#include "assets/music_gen.h"

namespace vgm {

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

} // namespace vgm
