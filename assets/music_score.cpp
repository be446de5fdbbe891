// The score parser: the text score, its chords and the pad voicing.
#include "assets/music_gen.h"

namespace vgm {

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

} // namespace vgm
