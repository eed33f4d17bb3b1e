// upa_calc.cpp: layer values of the current sounding: a variable's level is decoded into a
// coordinate code and a layer, and the layer's mean is taken over SM or WM.
#include "vyk.h"
#include "therm.h"
#include "upa_layer.h"
#include "upa_calc.h"

namespace {

constexpr float MISS = VYK_MISS;

struct Layer {
    int coord = 0;
    float bottom = MISS, top = MISS;
};

Layer layer_of(const VAR_data *var)
{
    Layer l;
    float thick = MISS;
    UPA_level_decode(var, &l.coord, &l.bottom, &l.top, &thick);
    return l;
}

}  // namespace

int UPA_calc_layer(const VAR_data *var, RAW_data *data)
{
    if (!var || !data) return 0;
    const Layer l = layer_of(var);
    data->value[0] = mean_value(var->name, THERM_get_SM(), THERM_get_SM_num(), l.coord, l.bottom,
                                l.top);
    return 0;
}

int UPA_calc_wind_layer(const VAR_data *var, WIND *wind)
{
    if (!var || !wind) return 0;
    const Layer l = layer_of(var);
    if (layer_wind_mean(THERM_get_WM(), THERM_get_WM_num(), l.coord, l.bottom, l.top, wind) != 1)
        *wind = {MISS, MISS};
    return 0;
}
