// vykup.h: the functions of higher folders that core calls, declared here so that core needs
// none of their headers (the build lets core see core only).  Each call is an exception to the
// layering, listed with the folder layout:
//   - resource conversion (res_conv.cpp): a domain or region text goes to the domain decoder
//     of the plot folder;
//   - date labels (date_label.cpp): the model name comes from the variables of the fields
//     folder.
// The owners' headers include this one rather than declaring the functions again.
#ifndef VYKUP_H
#define VYKUP_H

#include <cstddef>

/// The georeference of a map, grid, image or diagram (defined in vykdom.h).
struct Domain;

/// Decodes a domain text into domain (src/plot).
int DOM_decode(const char *str, Domain *domain);

/// Buffer of VAR_model: a model name of up to 80 characters and the end.
constexpr size_t VAR_MODEL_LEN = 81;

/// The name of model rmod (above 1000: source * 1000 + model) from "mod_name.lup" on the
/// file_path resource, written into str (at most size bytes, cut to fit; empty when the table
/// has no such model); returns str, or NULL with str unchanged when the table cannot be opened
/// (src/fields).
char *VAR_model(char *str, int rmod, size_t size = VAR_MODEL_LEN);

#endif
