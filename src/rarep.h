// rarep.h - the codes of the radar report form of the netCDF converted file:
// operational status, precipitation type, intensity trend and echo object.
#ifndef RAREP_H
#define RAREP_H

// "opstat": the operational status of the radar.
enum RA_opstat {
    RA_STANDARD = 0,
    RA_PPINE = 1, // no echoes
    RA_PPIOM = 2, // out for maintenance
    RA_PPINA = 3, // not available
    RA_ROBEPS = 4,
    RA_ARNO = 5,
    RA_RHINO = 6,
    RA_DVIPNO = 7,
    RA_CP = 8,
    RA_STC = 9,
    RA_MAG = 10,
    RA_NS = 11,
};

// "precip_type": one of the kinds 1 to 5, or-ed with the shower, the
// thunderstorm or the freezing bit. The freezing bit is the sign bit of the
// byte the file stores, so freezing kinds read back negative; their low
// eight bits are the code.
enum RA_precip {
    RA_RAIN = 1,
    RA_HAIL = 2,
    RA_SNOW = 3,
    RA_ICE_PELLETS = 4,
    RA_DRIZZLE = 5,
    RA_SHOWER = 32,
    RA_THUNDERSTORM = 64,
    RA_FREEZING = 128,
};

// "trend": 0 when none is reported.
enum RA_trend {
    RA_INCREASING = 1,
    RA_DECREASING = 2,
    RA_NO_CHANGE = 3,
    RA_NEW = 4,
};

// "object": what a record describes.
enum RA_object {
    RA_NO_OBJ = 0,
    RA_AREA = 1,
    RA_LINE = 2,
    RA_CELL = 3,
    RA_LAYER = 4,
    RA_SPIRAL_BAND = 5,
    RA_FINE_LINE = 6,
    RA_EYE = 7,
    RA_CENTER = 8,
    RA_MAXTOP = 9,
    RA_UMAXTOP = 10,
    RA_TOP = 11,
    RA_HOOK = 12,
    RA_HAIL_OBJ = 13,
    RA_LEWP = 14,
    RA_VAULT = 15,
    RA_BWER = 15,
    RA_BASE = 16,
    RA_MALF = 17,
    RA_PALF = 18,
    RA_MLTLVL = 19,
};

#endif
