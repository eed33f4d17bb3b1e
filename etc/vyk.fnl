modern modern.fnt
duplex duplex.fnt
triplex triplex.fnt
italic italic.fnt
script script.fnt
greek greek.fnt
