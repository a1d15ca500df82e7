// Cost of laying out a generated score of 600 columns and 4 staves on A4 pages: the complete
// layout (every column justified, headers, lines, pages, fitting), and the relayout after the
// content of one measure changes (its column justified, the layout rebuilt from its page on).
#include <benchmark/benchmark.h>

#include <memory>

#include "score/ScoreBuilder.h"
#include "framework/Arrays.h"
#include "framework/CUserPanel.h"
#include "layout/Justification.h"
#include "layout/PageBreaking.h"
#include "layout/PageFitting.h"
#include "layout/PageLayout.h"

namespace {

constexpr short kColumns = 600;

std::unique_ptr<ScoreBuilder> generated_score()
{
    std::unique_ptr<ScoreBuilder> score(new ScoreBuilder(4, kColumns));
    Document* d = score->d;
    Sub_document& sd = d->sub_doc[d->cur_sub_doc];
    sd.mx = 595;
    sd.my = 841;
    sd.mi_g = sd.mi_d = sd.mi_s = sd.mi_i = 28;
    sd.me_g = sd.me_d = sd.me_s = sd.me_i = 0;
    sd.mes_par_por = sd.sys_par_pag = sd.reserve_titre = 0;
    sd.dist_syst = 3;
    for (short p = 1; p <= 4; p++) {
        d->ins[p].dy = (short)(60 * (p - 1));
        score->clef(1, p, p <= 2 ? 1 : 2);
        score->time(1, p, 4, 4);
    }
    for (short c = 1; c <= kColumns; c++) {
        for (int i = 0; i < 8; i++) score->note(c, 1, (short)(2 + 3 * ((c + i) % 9)), 4);
        for (int i = 0; i < 4; i++) score->note(c, 2, (short)(8 + 3 * i), 3);
        score->chord(c, 3, {14, 20, 26}, 2);
        score->note(c, 3, 11, 2);
        score->note(c, 4, 8, 1);
    }
    return score;
}

void BM_CompleteLayout(benchmark::State& state) {
    std::unique_ptr<ScoreBuilder> score = generated_score();
    CUserPanel panel(nullptr);
    for (auto _ : state) {
        for (short c = 1; c <= kColumns; c++) justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);
        mise_en_page(1.0f, 1.0f, &panel);
    }
    state.counters["pages"] = score->d->tot_pag;
}
BENCHMARK(BM_CompleteLayout)->Unit(benchmark::kMillisecond);

// A note of one measure moves; the columns are taken in turn over the score.
void BM_RelayoutAfterOneMeasure(benchmark::State& state) {
    std::unique_ptr<ScoreBuilder> score = generated_score();
    CUserPanel panel(nullptr);
    for (short c = 1; c <= kColumns; c++) justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);
    mise_en_page(1.0f, 1.0f, &panel);
    short c = 1;
    CArrayInt messys, syspag;
    for (auto _ : state) {
        CMeasure* m = score->measure(c, 2);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) {
                n->y = (short)(n->y == 8 ? 11 : 8);
                break;
            }
        justifier_mesure(c, 1, 1, 1, 1.0f, 1.0f, &panel, nullptr);
        recup_tableaux(&messys, &syspag);
        short page = 1, column = 1, entry = 1;
        for (short p = 1; p <= syspag.total(); p++) {
            short after = column;
            for (short k = 0; k < syspag.get(p); k++) after = (short)(after + messys.get(entry + k));
            if (c < after) {
                page = p;
                break;
            }
            column = after;
            entry = (short)(entry + syspag.get(p));
        }
        adapter_mep(&messys, &syspag, page, 1.0f, 1.0f, &panel, 1, nullptr, 0);
        c = (short)(c % kColumns + 1);
    }
}
BENCHMARK(BM_RelayoutAfterOneMeasure)->Unit(benchmark::kMillisecond);

}  // namespace
