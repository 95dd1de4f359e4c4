#!/usr/bin/env python3
"""Generates the files in data/: parameter definitions, menu map, menu trees,
language files and error-number help documents.

Run:  python3 scripts/gen_data.py
Every text is kept here in three languages side by side (0 Dutch, 1 English,
2 German) so the files cannot drift apart. Edit here, not in data/.
"""
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")

MAXPOS = 99999999  # eight digits: the most the service dialog accepts


def q(items):
    """Comma list as the option-list reader expects it: quote items with blanks."""
    out = []
    for it in items:
        if any(c in it for c in ' ,"') or it == "":
            out.append('"' + it.replace('"', '""') + '"')
        else:
            out.append(it)
    return ",".join(out)


class P:
    def __init__(self, names, type_=0, opts=None, dec=0, mn=0, mx=0, default=0):
        self.names = names            # (nl, en, de)
        self.type = type_
        self.opts = opts              # None, (list_nl, list_en, list_de) or "#nnn"
        self.dec = dec
        self.min, self.max, self.default = mn, mx, default
        self.used = True


def num(names, dec=0, mn=0, mx=0, default=0):
    return P(names, 0, None, dec, mn, mx, default)


def opt(names, lists, default=0):
    return P(names, 1, lists, 0, 0, len(lists[0]) - 1, default)


def redirect(names, target, count, default=0):
    p = P(names, 1, "#%03d" % target, 0, 0, count - 1, default)
    return p


def pos(names, mn=-MAXPOS, mx=MAXPOS, default=0):
    return P(names, 0, None, 9, mn, mx, default)


OFF_ON = (["Uit", "Aan"], ["Off", "On"], ["Aus", "Ein"])
NO_YES = (["Nee", "Ja"], ["No", "Yes"], ["Nein", "Ja"])
AXES = (["As 1", "As 2"], ["Axis 1", "Axis 2"], ["Achse 1", "Achse 2"])

par = {}

# --- General: communication and system -------------------------------------
par[0] = num(("Unitnummer", "Unit number", "Gerätenummer"), 0, 0, 31, 0)
par[1] = opt(("Baudrate", "Baud rate", "Baudrate"),
             (["9600", "19200", "28800", "38400", "57600", "115200"],) * 3, 3)
par[2] = opt(("Pariteit", "Parity", "Parität"),
             (["Geen", "Even", "Oneven"], ["None", "Even", "Odd"], ["Keine", "Gerade", "Ungerade"]), 1)
par[3] = opt(("Stopbits", "Stop bits", "Stoppbits"), (["1", "2"],) * 3, 0)
par[4] = opt(("Databits", "Data bits", "Datenbits"), (["7", "8"],) * 3, 1)
par[5] = num(("Antwoordvertraging (ms)", "Reply delay (ms)", "Antwortverzögerung (ms)"), 0, 0, 100, 2)
par[6] = num(("Bewaking comm. (0,1 s)", "Comms watchdog (0.1 s)", "Komm.-Überw. (0,1 s)"),
             0, 0, 600, 0)
par[7] = opt(("Interface", "Interface", "Schnittstelle"),
             (["RS 232", "RS 422", "RS 485"],) * 3, 2)
par[8] = opt(("Checksum test bij start", "Checksum test at start", "Prüfsummentest b. Start"), OFF_ON, 1)
par[9] = opt(("Reactie op fout", "Reaction to error", "Reaktion auf Fehler"),
             (["Alle uitgangen uit", "Nokuitgangen uit", "Uitgangen houden"],
              ["All outputs off", "Cam outputs off", "Hold outputs"],
              ["Alle Ausgänge aus", "Nockenausgänge aus", "Ausgänge halten"]), 0)
par[10] = opt(("Fout autom. resetten", "Automatic error reset", "Fehler autom. quittieren"), NO_YES, 0)
par[11] = num(("Scantijd nokken (µs)", "Cam scan time (µs)", "Nockenzykluszeit (µs)"), 0, 100, 2000, 250)
par[12] = num(("Startvertraging uitg. (ms)", "Output start delay (ms)", "Startverzög. Ausg. (ms)"),
              0, 0, 10000, 500)
par[13] = opt(("Eenheid positie", "Position unit", "Positionseinheit"),
              (["mm", "inch", "graden", "incrementen"], ["mm", "inch", "degrees", "increments"],
               ["mm", "Zoll", "Grad", "Inkremente"]), 0)

# --- Advance of outputs 1..16 (ms, three decimals) ----------------------------
for o in range(1, 17):
    par[19 + o] = num(("Vervroeging uitg. %d (ms)" % o, "Advance output %d (ms)" % o,
                       "Vorhalt Ausgang %d (ms)" % o), 3, 0, 99999, 0)
par[36] = opt(("Snelheidsbron vervroeg.", "Advance velocity source", "Geschw.-Quelle Vorhalt"), AXES, 0)

# --- Axes 1 and 2 -------------------------------------------------------------
ENC = (["Uit", "Incrementeel", "SSI absoluut"], ["Off", "Incremental", "SSI absolute"],
       ["Aus", "Inkremental", "SSI absolut"])


def axis(base, a, enc_default):
    # The menu (Axis 1 > Encoder) names the axis; the grid has room for ~24 characters.
    def n(*names):
        return tuple(t[0].upper() + t[1:] for t in names)
    par[base + 0] = opt(n("encodertype", "encoder type", "Gebertyp"), ENC, enc_default)
    par[base + 1] = opt(n("telfactor incr.", "incr. evaluation", "Inkr.-Auswertung"),
                        (["x1", "x2", "x4"],) * 3, 2)
    par[base + 2] = opt(n("telrichting", "count direction", "Zählrichtung"),
                        (["Normaal", "Omgekeerd"], ["Normal", "Inverted"], ["Normal", "Invertiert"]), 0)
    par[base + 3] = num(n("schaalfactor teller", "scaling numerator", "Skalierung Zähler"), 0, 1, 999999, 1000)
    par[base + 4] = num(n("schaalfactor noemer", "scaling denominator", "Skalierung Nenner"), 0, 1, 999999, 1000)
    par[base + 5] = num(n("SSI databits", "SSI data bits", "SSI Datenbits"), 0, 8, 32, 25)
    par[base + 6] = opt(n("SSI code", "SSI code", "SSI Code"),
                        (["Binair", "Gray"], ["Binary", "Gray"], ["Binär", "Gray"]), 1)
    par[base + 7] = opt(n("SSI klokfrequentie", "SSI clock rate", "SSI Taktfrequenz"),
                        (["100 kHz", "200 kHz", "400 kHz", "800 kHz"],) * 3, 1)
    par[base + 8] = num(n("SSI genegeerde bits", "SSI ignored low bits", "SSI ignorierte Bits"), 0, 0, 8, 0)
    par[base + 9] = num(n("SSI foutbit (0=geen)", "SSI error bit (0=none)", "SSI Fehlerbit (0=keins)"), 0, 0, 32, 0)
    par[base + 10] = pos(n("SSI offset", "SSI offset", "SSI Offset"))
    par[base + 11] = pos(n("positie offset", "position offset", "Positionsoffset"))
    par[base + 12] = pos(n("modulo (0=lineair)", "modulo (0=linear)", "Modulo (0=linear)"), 0, MAXPOS, 0)
    par[base + 13] = pos(n("softw.-eindschak. min", "software limit min", "Softw.-Endschalter min"),
                         default=-MAXPOS)
    par[base + 14] = pos(n("softw.-eindschak. max", "software limit max", "Softw.-Endschalter max"),
                         default=MAXPOS)
    par[base + 15] = opt(n("bewaking softw.-grenzen", "software limit check", "Überw. Softw.-Grenzen"), OFF_ON, 0)
    par[base + 16] = num(n("filter snelheid (ms)", "velocity filter (ms)", "Geschw.-Filter (ms)"), 0, 1, 1000, 10)
    par[base + 17] = opt(n("tijdbasis snelheid", "velocity time base", "Zeitbasis Geschw."),
                         (["per seconde", "per minuut"], ["per second", "per minute"],
                          ["pro Sekunde", "pro Minute"]), 0)
    par[base + 18] = opt(n("bewaking encoder", "encoder monitoring", "Geberüberwachung"), OFF_ON, 1)
    par[base + 19] = pos(n("max. snelheid", "max. velocity", "max. Geschwindigkeit"), 0, MAXPOS, 100000)


axis(40, 1, 2)
axis(60, 2, 1)

# --- Cams 1..40: hysteresis, own end and start positions ----------------------
for c in range(1, 41):
    par[79 + c] = pos(("Nok %d hysterese" % c, "Cam %d hysteresis" % c, "Nocke %d Hysterese" % c),
                      0, 999999, 0)
    par[119 + c] = pos(("Nok %d eigen einde" % c, "Cam %d own end" % c, "Nocke %d eigenes Ende" % c))
    par[159 + c] = pos(("Nok %d eigen aanvang" % c, "Cam %d own start" % c, "Nocke %d eigener Anfang" % c))

# --- Reference inputs K0-1 and K0-2 -------------------------------------------
REFMODE = (["Fijnreferentie", "SSI justage"], ["Fine reference", "SSI adjustment"],
           ["Feinreferenz", "SSI Justage"])
par[200] = opt(("Functie ref.-ingang K0-1", "Function ref. input K0-1", "Funktion Ref.-Eing. K0-1"),
               REFMODE, 0)
par[201] = opt(("Functie ref.-ingang K0-2", "Function ref. input K0-2", "Funktion Ref.-Eing. K0-2"),
               REFMODE, 0)
par[203] = num(("Decimalen posities", "Decimals of positions", "Nachkommast. Positionen"), 0, 0, 4, 2)


def reference(base, k, axis_default, fine_default):
    def n(*names):
        return tuple(t[0].upper() + t[1:] for t in names)
    par[base + 0] = opt(n("as", "axis", "Achse"), AXES, axis_default)
    par[base + 1] = num(n("ingangsfilter (ms)", "input filter (ms)", "Eingangsfilter (ms)"), 0, 0, 100, 1)
    par[base + 2] = pos(n("referentiepositie", "reference position", "Referenzposition"))
    par[base + 3] = opt(n("fijnreferentie", "fine reference", "Feinreferenz"),
                        (["Uit", "Eenmalig na inschakelen", "Bij elke flank"],
                         ["Off", "Once after power-up", "At every edge"],
                         ["Aus", "Einmal nach Einschalten", "Bei jeder Flanke"]), fine_default)
    par[base + 4] = opt(n("flank", "edge", "Flanke"),
                        (["Stijgend", "Dalend"], ["Rising", "Falling"], ["Steigend", "Fallend"]), 0)
    par[base + 5] = opt(n("richting", "direction", "Richtung"),
                        (["Beide", "Alleen vooruit", "Alleen achteruit"],
                         ["Both", "Forward only", "Reverse only"],
                         ["Beide", "Nur vorwärts", "Nur rückwärts"]), 0)
    par[base + 6] = pos(n("venster (0=overal)", "window (0=anywhere)", "Fenster (0=überall)"), 0, MAXPOS, 0)
    par[base + 7] = pos(n("max. correctie (0=vrij)", "max. correction (0=free)", "max. Korrektur (0=frei)"),
                        0, MAXPOS, 0)
    par[base + 8] = pos(n("SSI justagepositie", "SSI adjustment position", "SSI Justageposition"))
    par[base + 9] = opt(n("SSI justage start", "SSI adjustment trigger", "SSI Justage Auslösung"),
                        (["Uit", "Stijgende flank", "Dalende flank", "Alleen via commando", "Beide flanken"],
                         ["Off", "Rising edge", "Falling edge", "By command only", "Both edges"],
                         ["Aus", "Steigende Flanke", "Fallende Flanke", "Nur per Befehl", "Beide Flanken"]), 0)
    par[base + 10] = opt(n("justage in EEPROM", "store adjustment", "Justage speichern"), NO_YES, 1)


reference(220, 1, 0, 1)
reference(240, 2, 1, 0)

# --- Monitoring -------------------------------------------------------------
par[205] = opt(("Bewaking posverschil", "Pos. difference check", "Überw. Pos.-Differenz"),
               OFF_ON, 0)
par[206] = pos(("Max. positieverschil", "Max. position difference", "Max. Positionsdifferenz"), 0, MAXPOS, 1000)
par[207] = num(("Vertraging posverschil", "Pos. difference delay", "Verzög. Pos.-Differenz"),
               0, 0, 10000, 100)
par[208] = opt(("Contact eindschakelaars", "Limit switch contacts", "Kontakt Endschalter"),
               (["Verbreek (NC)", "Maak (NO)"], ["Normally closed", "Normally open"],
                ["Öffner", "Schließer"]), 0)
par[209] = opt(("Reactie eindschakelaar", "Limit switch reaction", "Reaktion Endschalter"),
               (["Fout", "Alleen melding"], ["Error", "Warning only"], ["Fehler", "Nur Meldung"]), 0)
par[210] = pos(("Stilstandsvenster", "Standstill window", "Stillstandsfenster"), 0, MAXPOS, 10)
par[211] = num(("Stilstandstijd (ms)", "Standstill time (ms)", "Stillstandszeit (ms)"), 0, 0, 10000, 200)
par[212] = opt(("Bewaking max. snelheid", "Max. velocity check", "Überw. max. Geschw."), OFF_ON, 0)
par[260] = opt(("Bewaking voeding", "Supply monitoring", "Überw. Versorgung"), OFF_ON, 1)
par[261] = num(("Min. voedingsspann. (V)", "Min. supply voltage (V)", "Min. Versorgungssp. (V)"),
               1, 100, 300, 190)
par[262] = num(("Max. temperatuur (°C)", "Max. temperature (°C)", "Max. Temperatur (°C)"), 0, 40, 85, 70)

# --- Analogue output --------------------------------------------------------
par[280] = opt(("Analoge uitgang", "Analogue output", "Analogausgang"),
               (["Geen", "Spanning", "Stroom"], ["None", "Voltage", "Current"], ["Keiner", "Spannung", "Strom"]), 0)
par[281] = opt(("Bron analoge uitgang", "Analogue output source", "Quelle Analogausgang"),
               (["Snelheid as 1", "Snelheid as 2", "Positie as 1", "Positie as 2", "Positieverschil"],
                ["Velocity axis 1", "Velocity axis 2", "Position axis 1", "Position axis 2", "Position difference"],
                ["Geschw. Achse 1", "Geschw. Achse 2", "Position Achse 1", "Position Achse 2",
                 "Positionsdifferenz"]), 0)
par[270] = pos(("Waarde bij max. uitsturing", "Value at full scale", "Wert bei Vollaussteuerung"),
               1, MAXPOS, 100000)
par[271] = pos(("Offset", "Offset", "Offset"))
par[272] = opt(("Stroombereik", "Current range", "Strombereich"),
               (["0-20 mA", "4-20 mA"],) * 3, 1)
par[273] = num(("Filter (ms)", "Filter (ms)", "Filter (ms)"), 0, 0, 1000, 0)
par[274] = opt(("Bij fout", "On error", "Bei Fehler"),
               (["Houden", "Nul"], ["Hold", "Zero"], ["Halten", "Null"]), 1)

# --- Outputs: function 1..16, polarity --------------------------------------
OUTFUN = (["Nokuitgang", "Altijd uit", "Altijd aan", "Gereed", "Fout", "Referentie 1 klaar",
           "Referentie 2 klaar", "Stilstand as 1", "Stilstand as 2", "As 1 vooruit", "As 2 vooruit",
           "Positieverschil te groot", "Eindschakelaar actief"],
          ["Cam output", "Always off", "Always on", "Ready", "Error", "Reference 1 done",
           "Reference 2 done", "Standstill axis 1", "Standstill axis 2", "Axis 1 forward", "Axis 2 forward",
           "Position difference too large", "Limit switch active"],
          ["Nockenausgang", "Immer aus", "Immer ein", "Bereit", "Fehler", "Referenz 1 fertig",
           "Referenz 2 fertig", "Stillstand Achse 1", "Stillstand Achse 2", "Achse 1 vorwärts",
           "Achse 2 vorwärts", "Positionsdifferenz zu groß", "Endschalter aktiv"])
for o in range(1, 17):
    names = ("Functie uitgang %d" % o, "Function output %d" % o, "Funktion Ausgang %d" % o)
    default = {15: 3, 16: 4}.get(o, 0)
    if o == 1:
        par[281 + o] = opt(names, OUTFUN, default)
    else:
        par[281 + o] = redirect(names, 282, len(OUTFUN[0]), default)
par[298] = num(("Uitg. inverteren (masker)", "Invert outputs (mask)", "Ausg. invertieren (Maske)"),
               0, 0, 65535, 0)

# --- Cams: function, source, start/end selection, output ---------------------
CAMFUN = (["Uit", "Nok", "Nok alleen vooruit", "Nok alleen achteruit"],
          ["Off", "Cam", "Cam forward only", "Cam reverse only"],
          ["Aus", "Nocke", "Nocke nur vorwärts", "Nocke nur rückwärts"])
CAMSRC = (["Positie as 1", "Positie as 2", "Positieverschil", "Snelheid as 1", "Snelheid as 2"],
          ["Position axis 1", "Position axis 2", "Position difference", "Velocity axis 1", "Velocity axis 2"],
          ["Position Achse 1", "Position Achse 2", "Positionsdifferenz", "Geschw. Achse 1", "Geschw. Achse 2"])
SEL = (["Eigen positie"] + ["Sollwert %d" % k for k in range(1, 81)],
       ["Own position"] + ["Setpoint %d" % k for k in range(1, 81)],
       ["Eigene Position"] + ["Sollwert %d" % k for k in range(1, 81)])
for c in range(1, 41):
    fn = ("Nok %d functie" % c, "Cam %d function" % c, "Nocke %d Funktion" % c)
    sn = ("Nok %d bron" % c, "Cam %d source" % c, "Nocke %d Quelle" % c)
    an = ("Nok %d selectie aanvang" % c, "Cam %d start selection" % c, "Nocke %d Auswahl Anfang" % c)
    en = ("Nok %d selectie einde" % c, "Cam %d end selection" % c, "Nocke %d Auswahl Ende" % c)
    on = ("Nok %d uitgang" % c, "Cam %d output" % c, "Nocke %d Ausgang" % c)
    par[299 + c] = opt(fn, CAMFUN) if c == 1 else redirect(fn, 300, len(CAMFUN[0]))
    par[339 + c] = opt(sn, CAMSRC) if c == 1 else redirect(sn, 340, len(CAMSRC[0]))
    par[379 + c] = opt(an, SEL) if c == 1 else redirect(an, 380, len(SEL[0]))
    par[419 + c] = redirect(en, 380, len(SEL[0]))
    par[459 + c] = num(on, 0, 1, 16, (c - 1) % 16 + 1)

# --- Inputs 1..8 --------------------------------------------------------------
INFUN = (["Geen functie", "Fout resetten", "Eindschak. as 1 min", "Eindschak. as 1 max",
          "Eindschak. as 2 min", "Eindschak. as 2 max", "Nokken vrijgeven", "Nokuitgangen uit",
          "Positie vasthouden", "As 1 op ref.-positie", "As 2 op ref.-positie"],
         ["No function", "Error reset", "Limit switch axis 1 min", "Limit switch axis 1 max",
          "Limit switch axis 2 min", "Limit switch axis 2 max", "Enable cams", "Cam outputs off",
          "Hold position", "Set axis 1 to ref. position", "Set axis 2 to ref. position"],
         ["Keine Funktion", "Fehler quittieren", "Endschalter Achse 1 min", "Endschalter Achse 1 max",
          "Endschalter Achse 2 min", "Endschalter Achse 2 max", "Nocken freigeben", "Nockenausgänge aus",
          "Position halten", "Achse 1 auf Ref.-Position", "Achse 2 auf Ref.-Position"])
for i in range(1, 9):
    names = ("Functie ingang %d" % i, "Function input %d" % i, "Funktion Eingang %d" % i)
    default = {1: 1, 2: 6}.get(i, 0)
    par[499 + i] = opt(names, INFUN, default) if i == 1 else redirect(names, 500, len(INFUN[0]), default)
par[508] = num(("Ingangsfilter (ms)", "Input filter (ms)", "Eingangsfilter (ms)"), 0, 0, 100, 2)
par[509] = opt(("Logica ingangen", "Input logic", "Eingangslogik"),
               (["Actief hoog", "Actief laag"], ["Active high", "Active low"], ["Aktiv high", "Aktiv low"]), 0)
par[510] = num(("Parameterset nummer", "Parameter set number", "Parametersatz Nummer"), 0, 0, 9999, 0)
par[511] = num(("Parameter checksum", "Parameter checksum", "Parameter-Prüfsumme"), 0, 0, 65535, 0)

for n in range(512):
    if n not in par:
        p = num(("Reserve", "Reserve", "Reserve"))
        p.used = False
        par[n] = p


# --- Menus: (captions nl/en/de, parameter list or None for a group with sub-menus)
def cam_menu(c):
    return [299 + c, 339 + c, 379 + c, 159 + c, 419 + c, 119 + c, 79 + c, 459 + c]


def axis_subs(base):
    return [
        (("Encoder", "Encoder", "Geber"), [base + 0, base + 1, base + 2, base + 3, base + 4, base + 18]),
        (("SSI", "SSI", "SSI"), [base + 5, base + 6, base + 7, base + 8, base + 9, base + 10]),
        (("Positie", "Position", "Position"), [base + 11, base + 12, base + 16, base + 17, base + 19]),
        (("Software-eindschakelaars", "Software limits", "Software-Endschalter"),
         [base + 13, base + 14, base + 15]),
    ]


ROOT = (("VX5x parameters", "VX5x parameters", "VX5x Parameter"), [0, 1, 203, 200, 201, 280, 40, 60, 510])
GROUPS = [
    (("Algemeen", "General", "Allgemein"), [
        (("Communicatie", "Communication", "Kommunikation"), [0, 1, 2, 3, 4, 7, 5, 6]),
        (("Systeem", "System", "System"), [8, 9, 10, 11, 12, 13, 203, 510, 511]),
    ]),
    (("As 1", "Axis 1", "Achse 1"), axis_subs(40)),
    (("As 2", "Axis 2", "Achse 2"), axis_subs(60)),
    (("Referentie-ingangen", "Reference inputs", "Referenzeingänge"), [
        (("Referentie-ingang K0-1", "Reference input K0-1", "Referenzeingang K0-1"),
         [200] + list(range(220, 231))),
        (("Referentie-ingang K0-2", "Reference input K0-2", "Referenzeingang K0-2"),
         [201] + list(range(240, 251))),
    ]),
    (("Bewaking", "Monitoring", "Überwachung"), [205, 206, 207, 208, 209, 210, 211, 212, 260, 261, 262]),
    (("Analoge uitgang", "Analogue output", "Analogausgang"), [280, 281, 270, 271, 272, 273, 274]),
    (("Uitgangen", "Outputs", "Ausgänge"), [
        (("Functie uitgangen", "Output functions", "Ausgangsfunktionen"), list(range(282, 299))),
        (("Vervroeging", "Advance", "Vorhaltezeit"), list(range(20, 37))),
    ]),
    (("Nokken", "Cams", "Nocken"),
     [(("Nok %d" % c, "Cam %d" % c, "Nocke %d" % c), cam_menu(c)) for c in range(1, 41)]),
    (("Ingangen", "Inputs", "Eingänge"), list(range(500, 510))),
]


def write(name, lines):
    with open(os.path.join(OUT, name), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def gen_parameters():
    lines = ["; VX5x parameter definitions: one section per parameter number.",
             "; naamN/optiesN: name and option list in language N (0 NL, 1 EN, 2 DE).",
             "; dec 9 = as many decimals as parameter 203. min/max/default in stored units.", ""]
    for n in range(512):
        p = par[n]
        assert p.min <= p.default <= p.max, n
        lines.append("[%03d]" % n)
        for lang in range(3):
            lines.append("naam%d=%s" % (lang, p.names[lang]))
        lines.append("type=%d" % p.type)
        for lang in range(3):
            if p.opts is None:
                v = ""
            elif isinstance(p.opts, str):
                v = p.opts
            else:
                v = q(p.opts[lang])
            lines.append("opties%d=%s" % (lang, v))
        lines.append("dec=%d" % p.dec)
        lines.append("min=%d" % p.min)
        lines.append("max=%d" % p.max)
        lines.append("default=%d" % p.default)
        lines.append("")
    write("Parameters.txt", lines)


def gen_menus():
    parno = ["; VX5x editor menus: section = 100 x group + sub-menu, ParIdk = parameter in row k.",
             "; A group that has sub-menus lists nothing itself (ParId1=-1).", ""]
    trees = [[ROOT[0][lang]] for lang in range(3)]

    def section(num, ids):
        assert len(ids) <= 18, num
        parno.append("[%d]" % num)
        if not ids:
            parno.append("ParId1=-1")
        for k, p in enumerate(ids, 1):
            parno.append("ParId%d=%d" % (k, p))
        parno.append("")

    section(0, ROOT[1])
    for g, (caps, content) in enumerate(GROUPS, 1):
        for lang in range(3):
            trees[lang].append("\t" + caps[lang])
        if content and isinstance(content[0], tuple):
            section(100 * g, [])
            for s, (scaps, ids) in enumerate(content, 1):
                for lang in range(3):
                    trees[lang].append("\t\t" + scaps[lang])
                section(100 * g + s, ids)
        else:
            section(100 * g, content)
    write("ParNo.txt", parno)
    for lang in range(3):
        write("Tree%d.txt" % lang, trees[lang])



# =============================================================================
# Language files. One row per key: (key, Dutch, English, German).
# Lists are comma lists; an item with blanks or commas is written in quotes.
# Message lines that the program joins (ZendMsg_1..6 and the like) are one line each.
# Progress texts (PanelTekst2/4 of the transfers) are followed by a blank and a number.
# =============================================================================
def L(*items):
    return q(list(items))


COM_PORTS = L(*["COM %d" % i for i in range(1, 17)])

TEXTS = [
    ("Main", [
        ("GroepIngangen", "Ingangen", "Inputs", "Eingänge"),
        ("GroepUitgangen", "Uitgangen", "Outputs", "Ausgänge"),
        ("GroepActual", "Actuele waarden", "Actual values", "Istwerte"),
        ("LabelActualPositie", "Positie:", "Position:", "Position:"),
        ("LabelActualSnelheid", "Snelheid:", "Velocity:", "Geschwindigkeit:"),
        ("LabelActualSpanning", "Spanning:", "Voltage:", "Spannung:"),
        ("LabelActualStroom", "Stroom:", "Current:", "Strom:"),
        ("LabelPosVerschil", "Pos. verschil:", "Pos. difference:", "Pos.-Differenz:"),
        ("CmdIO_ON", "I/O aan", "I/O ON", "E/A ein"),
        ("CmdIO_OFF", "I/O uit", "I/O OFF", "E/A aus"),
        ("CmdActual_ON", "Actueel aan", "Actual ON", "Istwerte ein"),
        ("CmdActual_OFF", "Actueel uit", "Actual OFF", "Istwerte aus"),
        ("CmdComOpen", "Verbinden", "Connect", "Verbinden"),
        ("CmdComClose", "Verbreken", "Disconnect", "Trennen"),
        ("CmdTerminalZenden", "Zenden", "Send", "Senden"),
        ("CmdResetError", "Reset fout", "Reset error", "Fehler quitt."),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Communicatiefout (systeem, lijn):", "Communication error (system, line):",
         "Kommunikationsfehler (System, Leitung):"),
        ("menuBestand", "&Bestand", "&File", "&Datei"),
        ("subAfsluiten", "&Afsluiten", "E&xit", "&Beenden"),
        ("menuEdit", "B&ewerken", "&Edit", "&Bearbeiten"),
        ("subParameters", "&Parameters", "&Parameters", "&Parameter"),
        ("subSollwerten", "&Sollwerten", "&Setpoints", "&Sollwerte"),
        ("menuInstellingen", "&Extra", "E&xtras", "E&xtras"),
        ("subInitCom", "&Seriële poort...", "&Serial port...", "&Serielle Schnittstelle..."),
        ("subOpties", "&Opties...", "&Options...", "&Optionen..."),
        ("menuCommunicatie", "&Communicatie", "&Communication", "&Kommunikation"),
        ("subParSoll", "Parameters + sollwerten ontvangen", "Receive parameters + setpoints",
         "Parameter + Sollwerte empfangen"),
        ("subBackup", "Backup VX5x...", "Backup VX5x...", "Sicherung VX5x..."),
        ("subRestore", "Restore VX5x...", "Restore VX5x...", "Wiederherstellen VX5x..."),
        ("subZoeken", "Apparaat zoeken...", "Search controller...", "Gerät suchen..."),
        ("menuVenster", "&Venster", "&Window", "&Fenster"),
        ("subNokkenInfo", "Nokken info", "Cam overview", "Nockenübersicht"),
        ("subGrafiek", "Grafiek", "Graph", "Grafik"),
        ("menuHelp", "&Help", "&Help", "&Hilfe"),
        ("subInfo", "&Info", "&About", "&Info"),
        ("subErrorNummers", "Foutnummers", "Error numbers", "Fehlernummern"),
        ("K0_RefFijn", "Ref fijn", "Fine ref", "Ref fein"),
        ("K0_SSIJustage", "SSI justage", "SSI adjust", "SSI Justage"),
        ("K0_Inactief", "Inactief", "Inactive", "Inaktiv"),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("Msg_Melding_Geen_VX50",
         "De aangesloten besturing is geen VX50 of VX51. Parameters, nokken en foutnummers kunnen een andere betekenis hebben; wijzig niets zonder de documentatie van dit apparaat.",
         "The connected controller is not a VX50 or VX51. Parameters, cams and error numbers may mean something else on it; change nothing without this device's documentation.",
         "Die angeschlossene Steuerung ist keine VX50 oder VX51. Parameter, Nocken und Fehlernummern können dort eine andere Bedeutung haben; ändern Sie nichts ohne die Dokumentation dieses Geräts."),
        ("PanelTekstVerloren", "Verbinding verloren: %1 (%2) is verdwenen", "Connection lost: %1 (%2) has gone",
         "Verbindung verloren: %1 (%2) ist verschwunden"),
        ("StatusVerloren", "Verloren", "Lost", "Verloren"),
        ("IngangenOnleesbaar", "Ingangen niet te lezen: stand onbekend", "Inputs could not be read: state unknown",
         "Eingänge nicht lesbar: Zustand unbekannt"),
        ("UitgangenOnleesbaar", "Uitgangen niet te lezen: stand onbekend", "Outputs could not be read: state unknown",
         "Ausgänge nicht lesbar: Zustand unbekannt"),
        ("Msg_AndereBesturing",
         "Na het opnieuw verbinden antwoordt een andere besturing: %1 (voorheen %2). Verder met deze besturing?",
         "After reconnecting, another controller answers: %1 (before: %2). Continue with this controller?",
         "Nach dem Wiederverbinden antwortet eine andere Steuerung: %1 (vorher %2). Mit dieser Steuerung weiter?"),
        ("SnelleAntwoordenUit", "Snelle antwoorden uitgeschakeld: de lijn gaf herhaald storingen",
         "Fast replies switched off: the line gave trouble repeatedly",
         "Schnelle Antworten ausgeschaltet: die Leitung machte wiederholt Probleme"),
        ('subVerkeer', 'Verkeer', 'Traffic', 'Verkehr'),
        ("PanelTekstPoortDicht", "Poort gesloten. Kies Verbinden om weer te verbinden.",
         "Port closed. Choose Connect to connect again.",
         "Schnittstelle geschlossen. Wählen Sie Verbinden, um wieder zu verbinden."),
        ("Msg_ApparaatOntbreekt",
         "%1 leidt naar %2, maar dat apparaat bestaat niet. Controleer of de USB-adapter is aangesloten en of onder Extra > Seriële poort het juiste apparaat is gekozen.",
         "%1 leads to %2, but that device does not exist. Check that the USB adapter is plugged in and that the right device is chosen under Extras > Serial port.",
         "%1 führt zu %2, aber dieses Gerät existiert nicht. Prüfen Sie, ob der USB-Adapter eingesteckt ist und unter Extras > Serielle Schnittstelle das richtige Gerät gewählt ist."),
        ("FoutGeenAntwoord", "Geen antwoord van unit %1.", "No reply from unit %1.", "Keine Antwort von Einheit %1."),
        ("FoutLijn", "Lijnfout: %1.", "Line error: %1.", "Leitungsfehler: %1."),
        ("FoutSysteem", "Systeemfout: %1.", "System error: %1.", "Systemfehler: %1."),
        ("LijnfoutPariteit", "pariteit", "parity", "Parität"),
        ("LijnfoutFrame", "framing", "framing", "Rahmen"),
        ("LijnfoutOverrun", "overrun", "overrun", "Überlauf"),
        ("LijnfoutBreak", "break", "break", "Break"),
        ("LijnfoutVol", "ontvangstbuffer vol", "receive buffer full", "Empfangspuffer voll"),
        ("LijnfoutOnbekend", "onbekend", "unknown", "unbekannt"),
        ("CmdCalibratie", "Calibratie", "Calibration", "Kalibrierung"),
        ("KalibratieModeAan", "Calibratiemode aan", "Calibration mode on", "Kalibriermodus an"),
        ("KalibratieModeAanTip", "De besturing staat nog in calibratiemode: de analoge uitgang volgt de waarden van het calibratievenster. Open Calibratie en kies Uit.", "The controller is still in calibration mode: its analogue output follows the calibration window's values. Open Calibration and choose Off.", "Die Steuerung ist noch im Kalibriermodus: der Analogausgang folgt den Werten des Kalibrierfensters. Kalibrierung öffnen und Aus wählen."),
    ]),
    ("Opties", [
        ("Caption", "Instellingen", "Settings", "Einstellungen"),
        ("RegAlgemeen", "Algemeen", "General", "Allgemein"),
        ("TaalLabel", "Taal:", "Language:", "Sprache:"),
        ("TaalItems",) + (L("Nederlands", "English", "Deutsch"),) * 3,
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("AutoVerbinden", "Automatisch opnieuw verbinden", "Reconnect automatically",
         "Automatisch neu verbinden"),
        ("SnelleAntwoorden", "Snelle antwoorden", "Fast replies", "Schnelle Antworten"),
        ("SnelleAntwoordenHint", "Antwoord eindigt bij het regeleinde in plaats van na 50 ms stilte",
         "A reply ends at its line end instead of after 50 ms of silence",
         "Eine Antwort endet am Zeilenende statt nach 50 ms Stille"),
        ('LogVerkeer', 'Verkeer naar bestand loggen', 'Log traffic to file', 'Verkehr in Datei protokollieren'),
        ('LogVerkeerHint', 'Elke uitwisseling in logs/vx5x-JJJJ-MM-DD.log in de gebruikersmap', "Every exchange into logs/vx5x-YYYY-MM-DD.log in the user's data folder", 'Jeder Austausch in logs/vx5x-JJJJ-MM-TT.log im Benutzerdatenordner'),
    ]),
    ("About", [
        ("Caption", "Info", "About", "Info"),
        ("Handelsmerk", "VX5x is een handelsmerk van Talvik.", "VX5x is a trademark of Talvik.",
         "VX5x ist ein Warenzeichen von Talvik."),
        ("SoftwareVersie", "Software versie:", "Software version:", "Softwareversion:"),
        ("Instellingen", "Instellingen:", "Settings:", "Einstellungen:"),
        ("Bouwdatum", "Gebouwd:", "Built:", "Erstellt:"),
        ("Problemen", "Problemen melden of hulp nodig: zie de README bij het programma.",
         "To report a problem or get help: see the README that comes with the program.",
         "Probleme melden oder Hilfe: siehe die README, die dem Programm beiliegt."),
    ]),
    ("HelpErrorNummers", [
        ("Caption", "Foutnummers VX5x", "VX5x error numbers", "Fehlernummern VX5x"),
    ]),
    ("InitCom", [
        ("Caption", "Seriële poort", "Serial port", "Serielle Schnittstelle"),
        ("RegInterface", "Interface", "Interface", "Schnittstelle"),
        ("RegExtended", "Uitgebreid", "Extended", "Erweitert"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("PortLabel", "Poort:", "Port:", "Anschluss:"),
        ("PortItems", COM_PORTS, COM_PORTS, COM_PORTS),
        ("IOLabel", "I/O adres:", "I/O range:", "E/A-Bereich:"),
        ("IOItems",) + (L("03F8 - 03FF", "02F8 - 02FF", "03E8 - 03EF", "02E8 - 02EF"),) * 3,
        ("BaudLabel", "Baudrate:", "Bits per second:", "Bits pro Sekunde:"),
        ("BaudItems",) + (L("9600", "19200", "28800", "38400", "57600", "115200"),) * 3,
        ("DatabitLabel", "Databits:", "Data bits:", "Datenbits:"),
        ("DataBitItems",) + (L("7", "8"),) * 3,
        ("ParityLabel", "Pariteit:", "Parity:", "Parität:"),
        ("ParityItems", L("Geen", "Even", "Oneven"), L("None", "Even", "Odd"), L("Keine", "Gerade", "Ungerade")),
        ("StopbitLabel", "Stopbits:", "Stop bits:", "Stoppbits:"),
        ("StopbitItems",) + (L("1", "2"),) * 3,
        ("HardwareLabel", "Hardware:", "Hardware:", "Hardware:"),
        ("HardwareItems", L("Standaard", "PCLab kaart PCL 745", "Phoenix PSM-V24/RS485", "Door gebruiker"),
         L("Standard", "PCLab Card PCL 745", "Phoenix PSM-V24/RS485", "User defined"),
         L("Standard", "PCLab-Karte PCL 745", "Phoenix PSM-V24/RS485", "Benutzerdefiniert")),
        ("PortTypeLabel", "Poorttype:", "Port type:", "Anschlusstyp:"),
        ("PortTypeItems",) + (L("RS 232 C", "RS 422", "RS 485"),) * 3,
        ("ReceiverLabel", "Ontvanger:", "Receiver:", "Empfänger:"),
        ("ReceiverItems", L("Geen", "Register 7 = 2"), L("None", "Register 7 = 2"), L("Nein", "Register 7 = 2")),
        ("TransmitterLabel", "Zender:", "Transmitter:", "Sender:"),
        ("TransmitterItems", L("Geen", "Register 7 = 1", "RTS = 1", "DTR = 0"),
         L("None", "Register 7 = 1", "RTS = 1", "DTR = 0"), L("Nein", "Register 7 = 1", "RTS = 1", "DTR = 0")),
        ("DeviceLabel", "Apparaat:", "Device:", "Gerät:"),
        ("NotPresent", "niet aanwezig", "not present", "nicht vorhanden"),
        ("NetNote", "Netwerkpoort zonder RFC 2217: de lijninstellingen van de seriële server zelf moeten hiermee overeenkomen.",
         "Raw network port: the device server's own line settings must match these.",
         "Netzwerkport ohne RFC 2217: die Schnittstelleneinstellungen des Geräteservers selbst müssen hiermit übereinstimmen."),
        ("BadDevice", "Geen apparaat of netwerkpoort: %1. Voorbeelden: /dev/ttyUSB0, tcp://HOST:POORT, rfc2217://HOST:POORT",
         "Not a device or network port: %1. Examples: /dev/ttyUSB0, tcp://HOST:PORT, rfc2217://HOST:PORT",
         "Kein Gerät und kein Netzwerkport: %1. Beispiele: /dev/ttyUSB0, tcp://HOST:PORT, rfc2217://HOST:PORT"),
    ]),
    ("AparaatZoeken", [
        ("Caption", "Apparaat zoeken", "Search controller", "Gerät suchen"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdVerder", "Verder", "Continue", "Weiter"),
        ("CmdStart", "Start", "Start", "Start"),
        ("CmdStop", "Stop", "Stop", "Stopp"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("LabelStartenMet", "Starten met:", "Start with:", "Beginnen mit:"),
        ("KolomTekst0", "Nr", "No", "Nr"),
        ("KolomTekst1", "Type", "Type", "Typ"),
        ("KolomTekst2", "Baud", "Baud", "Baud"),
        ("KolomTekst3", "Pariteit", "Parity", "Parität"),
        ("KolomTekst4", "Stopbits", "Stop bits", "Stoppbits"),
        ("GroepParity", "Pariteit", "Parity", "Parität"),
        ("GroepStopBits", "Stopbits", "Stop bits", "Stoppbits"),
        ("RadioAlsCom", "als COM", "as COM", "wie COM"),
        ("RadioAutoSelect", "auto wisselen", "switch automatically", "automatisch wechseln"),
        ("PanelTekst0", "Zoeken...", "Searching...", "Suche läuft..."),
        ("PanelTekst1", "Gestopt!", "Stopped!", "Angehalten!"),
        ("PanelTekst2", "Beëindigd: alle combinaties geprobeerd.", "Finished: all combinations tried.",
         "Beendet: alle Kombinationen geprüft."),
        ("PanelTekst3", "Apparaat gevonden!", "Controller found!", "Gerät gefunden!"),
        ("Voortgang", "%1 van %2 combinaties geprobeerd, nog ca. %3 s",
         "%1 of %2 combinations tried, about %3 s left",
         "%1 von %2 Kombinationen geprüft, noch ca. %3 s"),
    ]),
    ("LeesParSoll", [
        ("CaptionMode0", "Parameters lezen", "Read parameters", "Parameter lesen"),
        ("CaptionMode1", "Sollwerten lezen", "Read setpoints", "Sollwerte lesen"),
        ("CaptionMode2", "Parameters en sollwerten lezen", "Read parameters and setpoints",
         "Parameter und Sollwerte lesen"),
        ("CaptionMode3", "Backup: besturing lezen", "Backup: read controller", "Sicherung: Steuerung lesen"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdAgain", "Opnieuw", "Again", "Wiederholen"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Communicatiefout!", "Communication error!", "Kommunikationsfehler!"),
        ("PanelTekst2", "Parameter lezen:", "Reading parameter:", "Lese Parameter:"),
        ("PanelTekst3", "Parameters gelezen.", "Parameters read.", "Parameter gelesen."),
        ("PanelTekst4", "Sollwert lezen:", "Reading setpoint:", "Lese Sollwert:"),
        ("PanelTekst5", "Sollwerten gelezen.", "Setpoints read.", "Sollwerte gelesen."),
        ("PanelTekst6", "Alles gelezen.", "Everything read.", "Alles gelesen."),
        ("PanelTekst7", "Onverwacht antwoord:", "Unexpected reply:", "Unerwartete Antwort:"),
        ("CmdVerder", "Verder", "Continue", "Weiter"),
        ("NotKept", "De %1 tot nu toe gelezen waarden worden niet bewaard, tenzij Verder het lezen afmaakt; de set in de editor blijft zoals hij was.",
         "The %1 values read so far are not kept unless Continue completes the read; the set in the editor stays as it was.",
         "Die %1 bisher gelesenen Werte werden nicht behalten, außer Weiter beendet das Lesen; der Satz im Editor bleibt, wie er war."),
    ]),
    ("SchrijfParSoll", [
        ("CaptionMode0", "Parameters zenden", "Send parameters", "Parameter senden"),
        ("CaptionMode1", "Sollwerten zenden", "Send setpoints", "Sollwerte senden"),
        ("CaptionMode2", "Parameters en sollwerten zenden", "Send parameters and setpoints",
         "Parameter und Sollwerte senden"),
        ("CaptionMode3", "Restore: besturing schrijven", "Restore: write controller",
         "Wiederherstellen: Steuerung schreiben"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdAgain", "Opnieuw", "Again", "Wiederholen"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Communicatiefout!", "Communication error!", "Kommunikationsfehler!"),
        ("PanelTekst2", "Parameter zenden:", "Sending parameter:", "Sende Parameter:"),
        ("PanelTekst3", "Parameters gezonden en geladen.", "Parameters sent and loaded.",
         "Parameter gesendet und übernommen."),
        ("PanelTekst4", "Sollwert zenden:", "Sending setpoint:", "Sende Sollwert:"),
        ("PanelTekst5", "Sollwerten gezonden.", "Setpoints sent.", "Sollwerte gesendet."),
        ("PanelTekst6", "Parameters en sollwerten gezonden en geladen.", "Parameters and setpoints sent and loaded.",
         "Parameter und Sollwerte gesendet und übernommen."),
        ("PanelTekst7", "Onverwacht antwoord:", "Unexpected reply:", "Unerwartete Antwort:"),
        ("PanelTekst8", "Restore voltooid, parameters geladen.", "Restore complete, parameters loaded.",
         "Wiederherstellung fertig, Parameter übernommen."),
        ("PanelTekst9", "Waarde door de besturing geweigerd.", "Value refused by the controller.",
         "Wert von der Steuerung abgelehnt."),
        ("PanelTekst10", "Laden geweigerd, parameter", "Loading refused, parameter",
         "Übernahme abgelehnt, Parameter"),
        ("PanelTekst11", "controleren.", "needs checking.", "prüfen."),
        ("StopCaption", "Zenden onderbroken", "Write interrupted", "Senden unterbrochen"),
        ("StopConfirmed", "De besturing heeft %1 waarden bevestigd: %2.", "The controller confirmed %1 values: %2.",
         "Die Steuerung hat %1 Werte bestätigt: %2."),
        ("StopConfirmedOne", "De besturing heeft 1 waarde bevestigd: %1.", "The controller confirmed 1 value: %1.",
         "Die Steuerung hat 1 Wert bestätigt: %1."),
        ("StopParameters", "parameters %1 t/m %2", "parameters %1 to %2", "Parameter %1 bis %2"),
        ("StopSetpoints", "sollwerten %1 t/m %2", "setpoints %1 to %2", "Sollwerte %1 bis %2"),
        ("StopNone", "geen", "none", "keine"),
        ("StopAnd", "en", "and", "und"),
        ("StopTo", "t/m", "to", "bis"),
        ("StopParameter", "Parameter %1", "Parameter %1", "Parameter %1"),
        ("StopSetpoint", "Sollwert %1", "Setpoint %1", "Sollwert %1"),
        ("StopUnconfirmed", "%1 is gezonden maar onbevestigd.", "%1 was sent but is unconfirmed.",
         "%1 wurde gesendet, ist aber unbestätigt."),
        ("StopRefused", "%1 is door de besturing geweigerd.", "%1 was refused by the controller.",
         "%1 wurde von der Steuerung abgelehnt."),
        ("StopMixed", "De besturing bevat nu een mengsel van oude en nieuwe waarden.",
         "The controller now holds a mixed set of old and new values.",
         "Die Steuerung enthält jetzt eine Mischung aus alten und neuen Werten."),
        ("StopNoBp", "\"bp\" is niet gezonden: de besturing heeft de nieuwe parameters niet geladen.",
         "\"bp\" was not sent: the controller did not load the new parameters.",
         "\"bp\" wurde nicht gesendet: die Steuerung hat die neuen Parameter nicht übernommen."),
        ("StopBpUnconfirmed", "\"bp\" is gezonden maar onbevestigd: afgeleide parameters zijn mogelijk niet berekend.",
         "\"bp\" was sent but is unconfirmed: the derived parameters may not be computed.",
         "\"bp\" wurde gesendet, ist aber unbestätigt: abgeleitete Parameter sind womöglich nicht berechnet."),
        ("CmdVerder", "Verder", "Continue", "Weiter"),
        ("StopParameterList", "parameters %1", "parameters %1", "Parameter %1"),
        ("StopSetpointList", "sollwerten %1", "setpoints %1", "Sollwerte %1"),
        ("NothingToWrite", "De besturing heeft deze waarden al; er is niets geschreven.",
         "The controller already holds these values; nothing was written.",
         "Die Steuerung hat diese Werte bereits; es wurde nichts geschrieben."),
        ("SetpointsOnlySent", "Sollwerten gezonden; de parameters waren al die van de besturing.",
         "Setpoints sent; the parameters were already the controller's.",
         "Sollwerte gesendet; die Parameter waren bereits die der Steuerung."),
        ("Unfinished", "De vorige %1 naar deze besturing (%2) is niet afgemaakt. De veiligheidsbackup van daarvoor blijft de weg terug: %3",
         "The last %1 to this controller (%2) did not finish. The safety backup from before it stays the way back: %3",
         "Das letzte %1 zu dieser Steuerung (%2) wurde nicht beendet. Die Sicherheitskopie von davor bleibt der Weg zurück: %3"),
        ("KindSend", "zenden", "send", "Senden"),
        ("KindRestore", "restore", "restore", "Wiederherstellen"),
        ("KindUndo", "ongedaan maken", "undo", "Rückgängig"),
    ]),
    ("Antwoord", [
        ("TooLong", "antwoord te lang", "reply too long", "Antwort zu lang"),
        ("Cut", "antwoord afgebroken (geen regeleinde)", "reply cut (no line end)",
         "Antwort abgebrochen (kein Zeilenende)"),
        ("ForeignLetters", "antwoord op een ander commando", "reply to another command",
         "Antwort auf einen anderen Befehl"),
        ("ForeignArguments", "antwoord voor een ander nummer", "reply for another number",
         "Antwort für eine andere Nummer"),
        ("NotANumber", "waarde is geen geheel getal", "value is no whole number", "Wert ist keine ganze Zahl"),
        ("Unprintable", "antwoord onleesbaar", "reply not readable text", "Antwort unlesbar"),
    ]),
    ("EditParam", [
        ("Caption", "Parameters bewerken", "Edit parameters", "Parameter bearbeiten"),
        ("KolomTekst0", "Menu", "Menu", "Menü"),
        ("KolomTekst1", "Nr", "No", "Nr"),
        ("KolomTekst2", "Naam", "Name", "Name"),
        ("KolomTekst3", "Waarde", "Value", "Wert"),
        ("KolomTekst4", "Keuze", "Option", "Auswahl"),
        ("min", "Min:", "Min:", "Min:"),
        ("max", "Max:", "Max:", "Max:"),
        ("default", "Default:", "Default:", "Standard:"),
        ("CmdClear", "Nok wissen", "Clear cam", "Nocke löschen"),
        ("menuBestand", "&Bestand", "&File", "&Datei"),
        ("subOpenen", "&Openen...", "&Open...", "Ö&ffnen..."),
        ("subOpslaanAls", "O&pslaan als...", "Save &as...", "Speichern &unter..."),
        ("subLaadDefault", "&Laad default parameters", "&Load default parameters", "&Standardparameter laden"),
        ("subAfdrukken", "&Afdrukken...", "&Print...", "&Drucken..."),
        ("subAfsluiten", "A&fsluiten", "&Close", "S&chließen"),
        ("menuZendenOntvangen", "&Zenden && ontvangen", "&Send && receive", "&Senden && Empfangen"),
        ("subParOntvangen", "&Parameters ontvangen", "&Receive parameters", "Parameter &empfangen"),
        ("subParZenden", "P&arameters zenden", "S&end parameters", "Parameter &senden"),
        ("subLoader", "Parameters laden en testen", "Load and check parameters", "Parameter übernehmen und prüfen"),
        ("menuVenster", "&Venster", "&Window", "&Fenster"),
        ("subNokkenInfo", "Nokken info", "Cam overview", "Nockenübersicht"),
        ("menuHelp", "&Help", "&Help", "&Hilfe"),
        ("subErrorNummers", "Foutnummers", "Error numbers", "Fehlernummern"),
        ("Msg_ErrorCaption", "Fout", "Error", "Fehler"),
        ("Msg_InfoCaption", "Informatie", "Information", "Information"),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("msg_ErrorSetDefaultPar",
         "Default waarden kunnen niet geladen worden: het bestand Parameters.txt ontbreekt.",
         "Default values cannot be loaded: the file Parameters.txt is missing.",
         "Standardwerte können nicht geladen werden: die Datei Parameters.txt fehlt."),
        ("msg_DefaultParGeladen",
         "Default parameters geladen. Ze staan alleen in het programma; zend ze om ze in de besturing te zetten.",
         "Default parameters loaded. They are in the program only; send them to put them in the controller.",
         "Standardparameter geladen. Sie sind nur im Programm; senden Sie sie, um sie in die Steuerung zu übertragen."),
        ("ZendMsg_1", "Er zijn nog geen parameters geladen:", "No parameters have been loaded yet:",
         "Es wurden noch keine Parameter geladen:"),
        ("ZendMsg_2", "niet van de besturing ontvangen,", "not received from the controller,",
         "nicht von der Steuerung empfangen,"),
        ("ZendMsg_3", "niet uit een bestand geopend", "not opened from a file",
         "nicht aus einer Datei geöffnet"),
        ("ZendMsg_4", "en geen default waarden geladen.", "and no defaults loaded.",
         "und keine Standardwerte geladen."),
        ("ZendMsg_5", "Zenden overschrijft alle parameters in de besturing.",
         "Sending overwrites every parameter in the controller.",
         "Senden überschreibt alle Parameter in der Steuerung."),
        ("ZendMsg_6", "Toch zenden?", "Send anyway?", "Trotzdem senden?"),
        ("Msg_ParGezondenEnNietGeladen",
         "Er zijn parameters naar de besturing gezonden, maar nog niet geladen ('Laad par'). Zonder laden werkt de besturing met de oude waarden. Toch afsluiten?",
         "Parameters were sent to the controller but not yet loaded ('Laad par'). Until they are loaded the controller works with the old values. Close anyway?",
         "Es wurden Parameter an die Steuerung gesendet, aber noch nicht übernommen ('Laad par'). Bis dahin arbeitet die Steuerung mit den alten Werten. Trotzdem schließen?"),
        ("SaveCaption", "Parameterbestand opslaan", "Save parameter file", "Parameterdatei speichern"),
        ("OpenCaption", "Parameterbestand openen", "Open parameter file", "Parameterdatei öffnen"),
        ("OpenFilter", "Parameterbestand (*.app)|*.app|Alle bestanden (*.*)|*.*",
         "Parameter file (*.app)|*.app|All files (*.*)|*.*",
         "Parameterdatei (*.app)|*.app|Alle Dateien (*.*)|*.*"),
        ("OpenMsg1", "Het bestand kan niet geopend worden.", "The file cannot be opened.",
         "Die Datei kann nicht geöffnet werden."),
        ("OpenMsg2", "Dit is geen parameterbestand.", "This is not a parameter file.",
         "Dies ist keine Parameterdatei."),
        ("OpenMsg3", "Het bestand bevat een ongeldige regel.", "The file contains an invalid line.",
         "Die Datei enthält eine ungültige Zeile."),
        ("OpenMsg4", "Het bestand is onvolledig of bevat te veel regels.",
         "The file is incomplete or has too many lines.",
         "Die Datei ist unvollständig oder hat zu viele Zeilen."),
        ("SaveMsg1", "Het bestand kon niet opgeslagen worden. Een eventueel bestaand bestand is ongewijzigd gebleven.",
         "The file could not be saved. An existing file of that name was left unchanged.",
         "Die Datei konnte nicht gespeichert werden. Eine vorhandene Datei gleichen Namens blieb unverändert."),
        ("Gewijzigd", "Gewijzigd sinds laden, ontvangen, opslaan of zenden",
         "Changed since loaded, received, saved or sent",
         "Geändert seit Laden, Empfangen, Speichern oder Senden"),
        ("Opgeslagen", "Opgeslagen: %1", "Saved: %1", "Gespeichert: %1"),
        ("Msg_Onbewaard", "Er zijn gewijzigde parameters die nog niet gezonden of opgeslagen zijn. Zenden, opslaan of de wijzigingen laten staan?",
         "Some parameters were changed and not yet sent or saved. Send, save, or leave the changes unsaved?",
         "Einige Parameter wurden geändert und noch nicht gesendet oder gespeichert. Senden, speichern oder die Änderungen verwerfen?"),
        ("CmdZenden", "Zenden", "Send", "Senden"),
    ]),
    ("ParamService", [
        ("LabelMin", "Min:", "Min:", "Min:"),
        ("LabelMax", "Max:", "Max:", "Max:"),
        ("LabelDefault", "Default:", "Default:", "Standard:"),
        ("LabelParData", "Waarde:", "Value:", "Wert:"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdDefault", "Default", "Default", "Standard"),
        ("CmdZenden", "Zenden", "Send", "Senden"),
        ("CmdCancel", "Afbreken", "Cancel", "Abbrechen"),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Waarde wordt gezonden...", "Sending value...", "Wert wird gesendet..."),
        ("PanelTekst2", "Waarde buiten min/max!", "Value outside min/max!", "Wert außerhalb Min/Max!"),
        ("PanelTekst3", "Te veel cijfers!", "Too many digits!", "Zu viele Ziffern!"),
        ("PanelTekst4", "Waarde gezonden. Met 'Laad par' overnemen.", "Value sent. Apply it with 'Laad par'.",
         "Wert gesendet. Mit 'Laad par' übernehmen."),
        ("PanelTekst5", "Communicatiefout!", "Communication error!", "Kommunikationsfehler!"),
        ("PanelTekst6", "Waarde geweigerd.", "Value refused.", "Wert abgelehnt."),
        ("PanelTekst7", "Laden geweigerd, parameter", "Loading refused, parameter", "Übernahme abgelehnt, Parameter"),
        ("PanelTekst8", "controleren.", "needs checking.", "prüfen."),
        ("PanelTekst9", "Parameters worden geladen...", "Loading parameters...", "Parameter werden übernommen..."),
        ("PanelTekst10", "Parameters geladen.", "Parameters loaded.", "Parameter übernommen."),
        # Other texts name the button by this Dutch caption in every language.
        ("CmdBerPar", "Laad par", "Laad par", "Laad par"),
        ("ReadingBack", "Geen bruikbaar antwoord: de waarde wordt teruggelezen...",
         "No usable reply: reading the value back...",
         "Keine brauchbare Antwort: der Wert wird zurückgelesen..."),
        ("HeldNew", "Nieuwe waarde teruggelezen. Pas ze toe met 'Laad par'.",
         "New value read back. Apply it with 'Laad par'.",
         "Neuer Wert zurückgelesen. Mit 'Laad par' übernehmen."),
        ("HeldOld", "Teruggelezen %1: de waarde is niet geschreven.",
         "Read back %1: the value was not written.",
         "Zurückgelesen %1: der Wert wurde nicht geschrieben."),
        ("StillUnknown", "Onbekend of ze aankwam: lees ze eerst.",
         "Unknown if it arrived: read it before going on.",
         "Unbekannt, ob er ankam: zuerst lesen."),
    ]),
    ("Loader", [
        ("Caption", "Parameters laden en testen", "Load and check parameters", "Parameter übernehmen und prüfen"),
        ("CmdOK", "OK", "OK", "OK"),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Parameters worden geladen...", "Loading parameters...", "Parameter werden übernommen..."),
        ("PanelTekst2", "Communicatiefout!", "Communication error!", "Kommunikationsfehler!"),
        ("PanelTekst3", "Wachten op de besturing...", "Waiting for the controller...", "Warte auf die Steuerung..."),
        ("PanelTekst4", "Parameters geladen en in orde.", "Parameters loaded and correct.",
         "Parameter übernommen und in Ordnung."),
        ("PanelTekst5", "Laden geweigerd, parameter", "Loading refused, parameter", "Übernahme abgelehnt, Parameter"),
        ("PanelTekst6", "controleren.", "needs checking.", "prüfen."),
    ]),
    ("BackupRestore", [
        ("SaveCaption", "Backup opslaan", "Save backup", "Sicherung speichern"),
        ("OpenCaption", "Backup openen voor restore", "Open backup to restore", "Sicherung zum Wiederherstellen öffnen"),
        ("OpenFilter", "Backupbestand (*.bak)|*.bak|Alle bestanden (*.*)|*.*",
         "Backup file (*.bak)|*.bak|All files (*.*)|*.*",
         "Sicherungsdatei (*.bak)|*.bak|Alle Dateien (*.*)|*.*"),
        ("Msg_ErrorCaption", "Fout", "Error", "Fehler"),
        ("OpenMsg1", "Het bestand kan niet geopend worden.", "The file cannot be opened.",
         "Die Datei kann nicht geöffnet werden."),
        ("OpenMsg2", "Dit is geen geldig backupbestand; er wordt niets gezonden.",
         "This is not a valid backup file; nothing is sent.",
         "Dies ist keine gültige Sicherungsdatei; es wird nichts gesendet."),
        ("SaveMsg1", "Het bestand kon niet opgeslagen worden. Een eventueel bestaand bestand is ongewijzigd gebleven.",
         "The file could not be saved. An existing file of that name was left unchanged.",
         "Die Datei konnte nicht gespeichert werden. Eine vorhandene Datei gleichen Namens blieb unverändert."),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("Msg_waarschuwingRestore_1", "Restore uit bestand", "Restore from file", "Wiederherstellen aus Datei"),
        ("Msg_waarschuwingRestore_2",
         "Alle parameters en sollwerten in de besturing worden overschreven. Doorgaan?",
         "Every parameter and setpoint in the controller will be overwritten. Continue?",
         "Alle Parameter und Sollwerte in der Steuerung werden überschrieben. Fortfahren?"),
    ]),
    ("EditSollwert", [
        ("Caption", "Sollwerten bewerken", "Edit setpoints", "Sollwerte bearbeiten"),
        ("Kolomtekst_no", "Nr", "No", "Nr"),
        ("Kolomtekst_waarde", "Waarde", "Value", "Wert"),
        ("menuBestand", "&Bestand", "&File", "&Datei"),
        ("subOpenen", "&Openen...", "&Open...", "Ö&ffnen..."),
        ("subOpslaanAls", "O&pslaan als...", "Save &as...", "Speichern &unter..."),
        ("subAfdrukken", "&Afdrukken...", "&Print...", "&Drucken..."),
        ("subAfsluiten", "A&fsluiten", "&Close", "S&chließen"),
        ("menuZendenOntvangen", "&Zenden && ontvangen", "&Send && receive", "&Senden && Empfangen"),
        ("subParOntvangen", "Sollwerten &ontvangen", "&Receive setpoints", "Sollwerte &empfangen"),
        ("subParZenden", "Sollwerten &zenden", "S&end setpoints", "Sollwerte &senden"),
        ("Msg_SollwertOngeldig", "Invoer ongeldig!", "Invalid entry!", "Eingabe ungültig!"),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("ZendMsg_10", "Er zijn nog geen sollwerten geladen:", "No setpoints have been loaded yet:",
         "Es wurden noch keine Sollwerte geladen:"),
        ("ZendMsg_20", "niet van de besturing ontvangen", "not received from the controller",
         "nicht von der Steuerung empfangen"),
        ("ZendMsg_30", "en niet uit een bestand geopend.", "and not opened from a file.",
         "und nicht aus einer Datei geöffnet."),
        ("ZendMsg_40", "Zenden overschrijft alle 80 sollwerten in de besturing.",
         "Sending overwrites all 80 setpoints in the controller.",
         "Senden überschreibt alle 80 Sollwerte in der Steuerung."),
        ("ZendMsg_50", "Toch zenden?", "Send anyway?", "Trotzdem senden?"),
        ("SaveCaption", "Sollwertbestand opslaan", "Save setpoint file", "Sollwertdatei speichern"),
        ("OpenCaption", "Sollwertbestand openen", "Open setpoint file", "Sollwertdatei öffnen"),
        ("OpenFilter", "Sollwertbestand (*.aps)|*.aps|Alle bestanden (*.*)|*.*",
         "Setpoint file (*.aps)|*.aps|All files (*.*)|*.*",
         "Sollwertdatei (*.aps)|*.aps|Alle Dateien (*.*)|*.*"),
        ("Msg_ErrorCaption", "Fout", "Error", "Fehler"),
        ("OpenMsg1", "Het bestand kan niet geopend worden.", "The file cannot be opened.",
         "Die Datei kann nicht geöffnet werden."),
        ("OpenMsg2", "Dit is geen sollwertbestand.", "This is not a setpoint file.",
         "Dies ist keine Sollwertdatei."),
        ("OpenMsg3", "Het bestand bevat een ongeldige regel.", "The file contains an invalid line.",
         "Die Datei enthält eine ungültige Zeile."),
        ("OpenMsg4", "Het bestand is onvolledig of bevat te veel regels.",
         "The file is incomplete or has too many lines.",
         "Die Datei ist unvollständig oder hat zu viele Zeilen."),
        ("SaveMsg1", "Het bestand kon niet opgeslagen worden. Een eventueel bestaand bestand is ongewijzigd gebleven.",
         "The file could not be saved. An existing file of that name was left unchanged.",
         "Die Datei konnte nicht gespeichert werden. Eine vorhandene Datei gleichen Namens blieb unverändert."),
        ("Opgeslagen", "Opgeslagen: %1", "Saved: %1", "Gespeichert: %1"),
        ("Msg_Onbewaard", "Er zijn gewijzigde sollwerten die nog niet gezonden of opgeslagen zijn. Zenden, opslaan of de wijzigingen laten staan?",
         "Some setpoints were changed and not yet sent or saved. Send, save, or leave the changes unsaved?",
         "Einige Sollwerte wurden geändert und noch nicht gesendet oder gespeichert. Senden, speichern oder die Änderungen verwerfen?"),
        ("CmdZenden", "Zenden", "Send", "Senden"),
    ]),
    ("Afdrukken", [
        ("CaptionPar", "Parameters afdrukken", "Print parameters", "Parameter drucken"),
        ("CaptionSoll", "Sollwerten afdrukken", "Print setpoints", "Sollwerte drucken"),
        ("LabelFirma", "Firma:", "Company:", "Firma:"),
        ("LabelType", "Type:", "Type:", "Typ:"),
        ("LabelSn", "Serienummer:", "Serial number:", "Seriennummer:"),
        ("CmdOK", "OK", "OK", "OK"),
        ("CmdCancel", "Annuleren", "Cancel", "Abbrechen"),
        ("TekstPagina", "Pagina", "Page", "Seite"),
        ("NaamSoll", "Sollwerten", "Setpoints", "Sollwerte"),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("AfdrukMsg_1", "Er zijn nog geen parameters geladen:", "No parameters have been loaded yet:",
         "Es wurden noch keine Parameter geladen:"),
        ("AfdrukMsg_2", "niet van de besturing ontvangen,", "not received from the controller,",
         "nicht von der Steuerung empfangen,"),
        ("AfdrukMsg_3", "niet uit een bestand geopend", "not opened from a file",
         "nicht aus einer Datei geöffnet"),
        ("AfdrukMsg_4", "en geen default waarden geladen.", "and no defaults loaded.",
         "und keine Standardwerte geladen."),
        ("AfdrukMsg_5", "De afdruk toont dan niet de instelling van een besturing.",
         "The printout will not show the settings of any controller.",
         "Der Ausdruck zeigt dann nicht die Einstellung einer Steuerung."),
        ("AfdrukMsg_6", "Toch afdrukken?", "Print anyway?", "Trotzdem drucken?"),
        ("AfdrukMsg_10", "Er zijn nog geen sollwerten geladen:", "No setpoints have been loaded yet:",
         "Es wurden noch keine Sollwerte geladen:"),
        ("AfdrukMsg_20", "niet van de besturing ontvangen", "not received from the controller",
         "nicht von der Steuerung empfangen"),
        ("AfdrukMsg_30", "en niet uit een bestand geopend.", "and not opened from a file.",
         "und nicht aus einer Datei geöffnet."),
        ("AfdrukMsg_40", "De afdruk toont dan niet de sollwerten van een besturing.",
         "The printout will not show the setpoints of any controller.",
         "Der Ausdruck zeigt dann nicht die Sollwerte einer Steuerung."),
        ("AfdrukMsg_50", "Toch afdrukken?", "Print anyway?", "Trotzdem drucken?"),
        ("Decimalen", "Waarden met %1 decimalen (parameter 203)", "Values with %1 decimals (parameter 203)",
         "Werte mit %1 Dezimalstellen (Parameter 203)"),
        ("NietGezonden", "Bevat %1 waarden die niet naar de besturing gezonden zijn",
         "Includes %1 values not sent to the controller",
         "Enthält %1 Werte, die nicht zur Steuerung gesendet wurden"),
        ("NietGezonden1", "Bevat 1 waarde die niet naar de besturing gezonden is",
         "Includes 1 value not sent to the controller",
         "Enthält 1 Wert, der nicht zur Steuerung gesendet wurde"),
        ("VoetnootNietGezonden", "niet naar de besturing gezonden", "not sent to the controller",
         "nicht zur Steuerung gesendet"),
    ]),
    ("Grafiek", [
        ("CaptionGrafiek", "Grafiek actuele waarden", "Graph of actual values", "Grafik Istwerte"),
        ("LabelBuffer", "Buffer:", "Buffer:", "Puffer:"),
        ("Gaten", "gaten", "gaps", "Lücken"),
        ("CmdAuto", "Auto", "Auto", "Auto"),
        ("LabelAutoHouden", "Auto blijven", "Keep auto", "Auto halten"),
        ("LabelKanaal2", "Kanaal 2:", "Channel 2:", "Kanal 2:"),
        ("Geen", "(geen)", "(none)", "(keiner)"),
        ("LabelCursors", "Cursors", "Cursors", "Cursor"),
        ("CmdHome", "Beginbeeld", "Home view", "Grundansicht"),
        ("PerSeconde", "metingen/s", "samples/s", "Werte/s"),
        ("GedeeldeLijn", "lijn gedeeld met de live-waarden", "line shared with the live values", "Leitung mit den Istwerten geteilt"),
        ("VraagLivePauze", "De live-waarden van het hoofdvenster gebruiken dezelfde lijn: de grafiek meet dan langzamer en ongelijkmatig. Live-waarden pauzeren zolang de registratie loopt? (Ze gaan daarna weer aan.)", "The main window's live values use the same line: the graph then samples slower and unevenly. Pause the live values while logging? (They come back on afterwards.)", "Die Istwerte des Hauptfensters nutzen dieselbe Leitung: die Grafik misst dann langsamer und ungleichmäßig. Istwerte während der Aufzeichnung anhalten? (Sie laufen danach wieder.)"),
        ("LabelAutoscroll", "Autoscroll", "Autoscroll", "Autoscroll"),
        ("LabelHulplijnenXas", "Hulplijnen", "Grid lines", "Hilfslinien"),
        ("LabelHulplijnenYas", "Hulplijnen", "Grid lines", "Hilfslinien"),
        ("CmdStartLog", "Start", "Start", "Start"),
        ("CmdStopLog", "Stop", "Stop", "Stopp"),
        ("GroepXas", "X-as (tijd/deel)", "X axis (time/div)", "X-Achse (Zeit/Teil)"),
        ("GroepYas", "Y-as (waarde/deel)", "Y axis (value/div)", "Y-Achse (Wert/Teil)"),
        ("LabelBron", "Bron:", "Source:", "Quelle:"),
        ("optiesBron",
         L("Positie 1", "Snelheid 1", "Positie 2", "Snelheid 2", "Positieverschil", "Spanning", "Stroom"),
         L("Position 1", "Velocity 1", "Position 2", "Velocity 2", "Position difference", "Voltage", "Current"),
         L("Position 1", "Geschwindigkeit 1", "Position 2", "Geschwindigkeit 2", "Positionsdifferenz",
           "Spannung", "Strom")),
        ("PanelTekst0", "Geen antwoord van de besturing!", "No reply from the controller!",
         "Keine Antwort von der Steuerung!"),
        ("PanelTekst1", "Communicatiefout!", "Communication error!", "Kommunikationsfehler!"),
        ("PanelTekst2", "Registratie loopt...", "Logging...", "Aufzeichnung läuft..."),
        ("PanelTekst3", "Registratie gestopt.", "Logging stopped.", "Aufzeichnung gestoppt."),
        ("PanelTekst4", "Buffer vol, registratie gestopt.", "Buffer full, logging stopped.",
         "Puffer voll, Aufzeichnung gestoppt."),
    ]),
    ("DisplayNokken", [
        ("Caption", "Nokken overzicht", "Cam overview", "Nockenübersicht"),
        ("RijTekst", "Uitg", "Out", "Ausg"),
        ("LabelNokNo", "Nok", "Cam", "Nocke"),
        ("LabelFuncte", "Functie", "Function", "Funktion"),
        ("LabelBron", "Bron", "Source", "Quelle"),
        ("LabelAanvang", "Aanvang", "Start", "Anfang"),
        ("LabelEinde", "Einde", "End", "Ende"),
        ("LAbelHysteresis", "Hysterese", "Hysteresis", "Hysterese"),
        ("LabelVervroeging", "Vervroeging", "Advance", "Vorhalt"),
    ]),
    ("Cli", [
        ("BadOption", "onbekende optie of waarde: %1 (zie vx5x --help)",
         "unknown option or bad value: %1 (see vx5x --help)",
         "unbekannte Option oder falscher Wert: %1 (siehe vx5x --help)"),
        ("UnknownCommand", "onbekend commando: %1 (zie vx5x --help)",
         "unknown command: %1 (see vx5x --help)",
         "unbekannter Befehl: %1 (siehe vx5x --help)"),
        ("MissingArgument", "argument ontbreekt: %1",
         "missing argument: %1",
         "Argument fehlt: %1"),
        ("PortOpen", "poort %1 kan niet geopend worden: %2",
         "cannot open port %1: %2",
         "Port %1 kann nicht geöffnet werden: %2"),
        ("NoReply", "geen antwoord van unit %1 op %2 (%3)",
         "no reply from unit %1 on %2 (%3)",
         "keine Antwort von Gerät %1 an %2 (%3)"),
        ("LineLost", "verbinding op %1 verloren: %2",
         "line lost on %1: %2",
         "Verbindung an %1 verloren: %2"),
        ("BadReply", "onbruikbaar antwoord op %1: %2",
         "unusable reply to %1: %2",
         "unbrauchbare Antwort auf %1: %2"),
        ("Refused", "de besturing weigert %1 (er 7)",
         "the controller refused %1 (er 7)",
         "die Steuerung lehnt %1 ab (er 7)"),
        ("BpRefused", "de besturing weigert de parameters te berekenen: %1",
         "the controller refused to compute its parameters: %1",
         "die Steuerung lehnt die Parameterberechnung ab: %1"),
        ("Interrupted", "onderbroken",
         "interrupted",
         "abgebrochen"),
        ("WriteStopped", "gestopt bij %3: %1 van %2 waarden geschreven en bevestigd%4; %3 onbekend, de besturing heeft nu oude en nieuwe waarden",
         "stopped at %3: %1 of %2 values written and confirmed%4; %3 unknown, the controller now holds old and new values",
         "angehalten bei %3: %1 von %2 Werten geschrieben und bestätigt%4; %3 unbekannt, die Steuerung hat jetzt alte und neue Werte"),
        ("WriteRefusedAt", "gestopt bij %3: %1 van %2 waarden geschreven en bevestigd%4; %3 geweigerd, de besturing heeft nu oude en nieuwe waarden",
         "stopped at %3: %1 of %2 values written and confirmed%4; %3 refused, the controller now holds old and new values",
         "angehalten bei %3: %1 von %2 Werten geschrieben und bestätigt%4; %3 abgelehnt, die Steuerung hat jetzt alte und neue Werte"),
        ("WriteRefusedNone", "gestopt bij %3: %1 van %2 waarden geschreven%4; %3 geweigerd, de besturing heeft nog haar oude waarden",
         "stopped at %3: %1 of %2 values written%4; %3 refused, the controller still holds its old values",
         "angehalten bei %3: %1 von %2 Werten geschrieben%4; %3 abgelehnt, die Steuerung hat noch ihre alten Werte"),
        ("UpTo", ", tot en met %1",
         ", up to %1",
         ", bis %1"),
        ("UnknownParameter", "onbekende parameter \"%1\"; bedoelt u \"%2\"?",
         "unknown parameter \"%1\"; did you mean \"%2\"?",
         "unbekannter Parameter \"%1\"; meinten Sie \"%2\"?"),
        ("UnknownParameterNoHint", "onbekende parameter \"%1\"",
         "unknown parameter \"%1\"",
         "unbekannter Parameter \"%1\""),
        ("Ambiguous", "\"%1\" past bij meerdere parameters: %2",
         "\"%1\" fits several parameters: %2",
         "\"%1\" passt zu mehreren Parametern: %2"),
        ("BadValue", "%1 %2: \"%3\" is geen waarde voor deze parameter",
         "%1 %2: \"%3\" is not a value of this parameter",
         "%1 %2: \"%3\" ist kein Wert dieses Parameters"),
        ("OutOfRange", "%1 %2: %3 ligt buiten %4",
         "%1 %2: %3 is outside %4",
         "%1 %2: %3 liegt außerhalb %4"),
        ("FileError", "%1: %2",
         "%1: %2",
         "%1: %2"),
        ("UseRestore", "een backupbestand; gebruik restore",
         "a backup file; use restore",
         "eine Sicherungsdatei; restore verwenden"),
        ("NotBackup", "geen backupbestand",
         "not a backup file",
         "keine Sicherungsdatei"),
        ("Saved", "geschreven: %1",
         "written: %1",
         "geschrieben: %1"),
        ("SafetyBackup", "veiligheidsbackup: %1",
         "safety backup: %1",
         "Sicherheitskopie: %1"),
        ("VerifyFailed", "teruglezen: %1 waarden wijken af",
         "read-back: %1 values differ",
         "Rücklesen: %1 Werte weichen ab"),
        ("NothingInCommon", "%1 en %2 hebben geen waarden gemeen",
         "%1 and %2 hold no values in common",
         "%1 und %2 haben keine gemeinsamen Werte"),
        ("SearchDone", "zoeken beeindigd: %1 gevonden",
         "search finished: %1 found",
         "Suche beendet: %1 gefunden"),
    ]),
    ("Compare", [
        ("Caption", "Vergelijken",
         "Compare",
         "Vergleichen"),
        ("MenuItem", "&Vergelijken...",
         "&Compare...",
         "&Vergleichen..."),
        ("SourceController", "Besturing (nu lezen)",
         "Controller (read now)",
         "Steuerung (jetzt lesen)"),
        ("SourceEditor", "Editor",
         "Editor",
         "Editor"),
        ("SourceFile", "Bestand...",
         "File...",
         "Datei..."),
        ("SourceDefaults", "Default waarden",
         "Defaults",
         "Standardwerte"),
        ("OnlyDiff", "Alleen verschillen",
         "Only differences",
         "Nur Unterschiede"),
        ("Filter", "Zoeken op naam of nummer",
         "Search by name or number",
         "Nach Name oder Nummer suchen"),
        ("CmdWrite", "Aangevinkte naar besturing",
         "Write ticked to controller",
         "Markierte zur Steuerung"),
        ("CmdTake", "Aangevinkte in editor",
         "Take ticked into editor",
         "Markierte in Editor"),
        ("CmdExport", "Exporteren (CSV)...",
         "Export (CSV)...",
         "Exportieren (CSV)..."),
        ("CmdClose", "Sluiten",
         "Close",
         "Schließen"),
        ("ColNumber", "Nr",
         "No",
         "Nr"),
        ("ColName", "Naam",
         "Name",
         "Name"),
        ("ColLimits", "Grenzen",
         "Limits",
         "Grenzen"),
        ("ColResult", "Resultaat",
         "Result",
         "Ergebnis"),
        ("OpenFilter", "Parameter-, sollwert- en backupbestanden (*.app *.aps *.bak)|*.app;*.aps;*.bak",
         "Parameter, setpoint and backup files (*.app *.aps *.bak)|*.app;*.aps;*.bak",
         "Parameter-, Sollwert- und Sicherungsdateien (*.app *.aps *.bak)|*.app;*.aps;*.bak"),
        ("ExportFilter", "CSV-bestand (*.csv)|*.csv",
         "CSV file (*.csv)|*.csv",
         "CSV-Datei (*.csv)|*.csv"),
        ("FileFailed", "Bestand %1 kan niet gelezen worden",
         "File %1 cannot be read",
         "Datei %1 kann nicht gelesen werden"),
        ("Reading", "Lezen: %1 van %2",
         "Reading: %1 of %2",
         "Lesen: %1 von %2"),
        ("ReadFailed", "Lezen mislukt: %1",
         "Reading failed: %1",
         "Lesen fehlgeschlagen: %1"),
        ("Summary", "%1 waarden, %2 verschillen",
         "%1 values, %2 differences",
         "%1 Werte, %2 Unterschiede"),
        ("SetpointName", "Sollwert %1",
         "Setpoint %1",
         "Sollwert %1"),
        ("Unknown", "%1 (onbekend)",
         "%1 (unknown)",
         "%1 (unbekannt)"),
        ("NothingTicked", "Geen rij aangevinkt",
         "No row ticked",
         "Keine Zeile markiert"),
        ("Writing", "Schrijven: %1 van %2",
         "Writing: %1 of %2",
         "Schreiben: %1 von %2"),
        ("Written", "geschreven",
         "written",
         "geschrieben"),
        ("Refused", "geweigerd (er 7), grenzen %1",
         "refused (er 7), limits %1",
         "abgelehnt (er 7), Grenzen %1"),
        ("NoReply", "geen antwoord",
         "no reply",
         "keine Antwort"),
        ("Taken", "in editor",
         "in editor",
         "im Editor"),
        ("WriteDone", "%1 geschreven, %2 geweigerd, %3 zonder antwoord",
         "%1 written, %2 refused, %3 without reply",
         "%1 geschrieben, %2 abgelehnt, %3 ohne Antwort"),
        ("BpDone", "parameters berekend",
         "parameters computed",
         "Parameter berechnet"),
        ("BpFailed", "berekenen geweigerd: %1",
         "computing refused: %1",
         "Berechnung abgelehnt: %1"),
        ("TakeDone", "%1 waarden in de editor overgenomen",
         "%1 values taken into the editor",
         "%1 Werte in den Editor übernommen"),
        ("Saved", "Opgeslagen: %1",
         "Saved: %1",
         "Gespeichert: %1"),
    ]),    ("Verkeer", [
        ('Caption', 'Verkeer', 'Traffic', 'Verkehr'),
        ('VerbergCyclisch', 'Cyclisch verbergen', 'Hide cyclic', 'Zyklische ausblenden'),
        ('AlleComponenten', 'Alle componenten', 'All components', 'Alle Komponenten'),
        ('AlleenFouten', 'Alleen fouten', 'Errors only', 'Nur Fehler'),
        ('Zoeken', 'Zoeken...', 'Search...', 'Suchen...'),
        ('Hex', 'Hex', 'Hex', 'Hex'),
        ('Pauze', 'Pauze', 'Pause', 'Pause'),
        ('Verder', 'Verder', 'Continue', 'Weiter'),
        ('Wissen', 'Wissen', 'Clear', 'Löschen'),
        ('Opslaan', 'Opslaan...', 'Save...', 'Speichern...'),
        ('Aantal', '%1 van %2 getoond', '%1 of %2 shown', '%1 von %2 angezeigt'),
        ('Filter', 'Tekstlog (*.txt);;CSV (*.csv)', 'Text log (*.txt);;CSV (*.csv)', 'Textprotokoll (*.txt);;CSV (*.csv)'),
        ('Kolom0', 'Tijd (s)', 'Time (s)', 'Zeit (s)'),
        ('Kolom1', 'Klok', 'Clock', 'Uhrzeit'),
        ('Kolom2', 'Component', 'Component', 'Komponente'),
        ('Kolom3', 'Verzoek', 'Request', 'Anfrage'),
        ('Kolom4', 'Antwoord', 'Reply', 'Antwort'),
        ('Kolom5', 'Hex', 'Hex', 'Hex'),
        ('Kolom6', 'Duur', 'Duration', 'Dauer'),
        ('Kolom7', 'Resultaat', 'Outcome', 'Ergebnis'),
        ('Resultaat0', 'ok', 'ok', 'ok'),
        ('Resultaat1', 'time-out', 'time-out', 'Zeitüberschreitung'),
        ('Resultaat2', 'lijnfout', 'line error', 'Leitungsfehler'),
        ('Resultaat3', 'verloren', 'lost', 'verloren'),
        ('Resultaat4', 'weer verbonden', 'reconnected', 'wieder verbunden'),
    ]),
    ("Terminal", [
        ('Caption', 'Terminal', 'Terminal', 'Terminal'),
        ('CmdLog', 'Terminallog en historie', 'Terminal log and history', 'Terminalprotokoll und Verlauf'),
        ('Historie', 'Historie:', 'History:', 'Verlauf:'),
        ('Wissen', 'Wissen', 'Clear', 'Löschen'),
        ('Opslaan', 'Opslaan...', 'Save...', 'Speichern...'),
        ('Hex', 'Hex', 'Hex', 'Hex'),
        ('Filter', 'Tekst (*.txt)', 'Text (*.txt)', 'Text (*.txt)'),
        ('GeenAntwoord', '(geen antwoord)', '(no reply)', '(keine Antwort)'),
        ('Cmd_sc', 'Besturing kiezen: sc unit', 'Select unit: sc unit', 'Gerät wählen: sc Einheit'),
        ('Cmd_rt', 'Type lezen', 'Read type', 'Typ lesen'),
        ('Cmd_rh', 'Identificatie 2 lezen', 'Read identification 2', 'Kennung 2 lesen'),
        ('Cmd_rx', 'Identificatie 3 lezen', 'Read identification 3', 'Kennung 3 lesen'),
        ('Cmd_rf', 'Foutnummer lezen', 'Read error number', 'Fehlernummer lesen'),
        ('Cmd_wf', 'Fout resetten', 'Reset error', 'Fehler quittieren'),
        ('Cmd_r0', 'Positie 1 lezen', 'Read position 1', 'Position 1 lesen'),
        ('Cmd_r1', 'Snelheid 1 lezen', 'Read velocity 1', 'Geschwindigkeit 1 lesen'),
        ('Cmd_r2', 'Spanning lezen', 'Read voltage', 'Spannung lesen'),
        ('Cmd_r3', 'Stroom lezen', 'Read current', 'Strom lesen'),
        ('Cmd_r4', 'Positie 2 lezen', 'Read position 2', 'Position 2 lesen'),
        ('Cmd_r5', 'Snelheid 2 lezen', 'Read velocity 2', 'Geschwindigkeit 2 lesen'),
        ('Cmd_r6', 'Positieverschil lezen', 'Read position difference', 'Positionsdifferenz lesen'),
        ('Cmd_ri', 'Ingangen lezen', 'Read inputs', 'Eingänge lesen'),
        ('Cmd_ru', 'Uitgangen lezen', 'Read outputs', 'Ausgänge lesen'),
        ('Cmd_rp', 'Parameter lezen: rp nummer', 'Read parameter: rp number', 'Parameter lesen: rp Nummer'),
        ('Cmd_wp', 'Parameter schrijven: wp nummer waarde', 'Write parameter: wp number value', 'Parameter schreiben: wp Nummer Wert'),
        ('Cmd_rs', 'Sollwert lezen: rs nummer', 'Read setpoint: rs number', 'Sollwert lesen: rs Nummer'),
        ('Cmd_ws', 'Sollwert schrijven: ws nummer waarde', 'Write setpoint: ws number value', 'Sollwert schreiben: ws Nummer Wert'),
        ('Cmd_bp', 'Parameters berekenen', 'Compute parameters', 'Parameter berechnen'),
        ('Cmd_kr', 'Kalibratieconstante lezen: kr nummer', 'Read calibration constant: kr number', 'Kalibrierkonstante lesen: kr Nummer'),
        ('Cmd_kw', 'Kalibratieconstante schrijven: kw nummer waarde', 'Write calibration constant: kw number value', 'Kalibrierkonstante schreiben: kw Nummer Wert'),
        ('Cmd_km', 'Kalibratiemodus: km 1 aan, km 0 uit', 'Calibration mode: km 1 on, km 0 off', 'Kalibriermodus: km 1 ein, km 0 aus'),
        ('Cmd_kf', 'Analoge uitgang: kf 0 geen, 1 spanning, 2 stroom', 'Analogue output: kf 0 none, 1 voltage, 2 current', 'Analogausgang: kf 0 keiner, 1 Spannung, 2 Strom'),
        ('Cmd_ka', 'Testwaarde analoge uitgang: ka waarde', 'Analogue output test value: ka value', 'Testwert Analogausgang: ka Wert'),
        ('Cmd_ks', 'Kalibratie opslaan', 'Store calibration', 'Kalibrierung speichern'),
    ]),
    ("Calibratie", [
        ("Caption", "Calibratie", "Calibration", "Kalibrierung"),
        ("GroepSpanning", "Spanning", "Voltage", "Spannung"),
        ("GroepStroom", "Stroom", "Current", "Strom"),
        ("GroepMode", "Calibratie mode", "Calibration mode", "Kalibriermodus"),
        ("GroepDA", "DA Select", "DA select", "DA-Auswahl"),
        ("CmdAan", "Aan", "On", "Ein"),
        ("CmdUit", "Uit", "Off", "Aus"),
        ("CmdSpanning", "Spanning", "Voltage", "Spannung"),
        ("CmdStroom", "Stroom", "Current", "Strom"),
        ("CmdGeen", "Geen", "None", "Keine"),
        ("NotitieOffset", "in 311uV eenheden", "in units of 311 uV", "in Einheiten von 311 uV"),
        ("NotitieGain", "in 0,1 mV eenheden", "in units of 0.1 mV", "in Einheiten von 0,1 mV"),
        ("Msg_waarschuwingCaption", "Waarschuwing", "Warning", "Warnung"),
        ("Msg_NietGesaved", "Er zijn calibratie waarden naar de VX4x...gezonden maar nog niet gesaved in EEPROM. Wilt U toch afsluiten?",
         "Calibration values were sent to the VX4x... but not yet saved in the EEPROM. Close anyway?",
         "Kalibrierwerte wurden an die VX4x... gesendet, aber noch nicht im EEPROM gespeichert. Trotzdem schließen?"),
        ("Msg_ModeUit", "De besturing staat nog in calibratie mode. Calibratie mode uitschakelen (km 0)?",
         "The controller is still in calibration mode. Switch calibration mode off (km 0)?",
         "Die Steuerung ist noch im Kalibriermodus. Kalibriermodus ausschalten (km 0)?"),
        ("Msg_ModeUitMislukt", "Calibratie mode kon niet uitgeschakeld worden: de besturing bevestigde \"km 0\" niet.",
         "Calibration mode could not be switched off: the controller did not confirm \"km 0\".",
         "Der Kalibriermodus konnte nicht ausgeschaltet werden: die Steuerung hat \"km 0\" nicht bestätigt."),
        ("Timeout", "Timeout!", "Timeout!", "Timeout!"),
        ("CommError", "Communicatie error", "Communication error", "Kommunikationsfehler"),
        ("BuitenBereik", "%1: %2 valt buiten het bereik %3 tot %4 en is niet verzonden.",
         "%1: %2 is outside the range %3 to %4 and was not sent.",
         "%1: %2 liegt außerhalb des Bereichs %3 bis %4 und wurde nicht gesendet."),
    ]),
    ("Verify", [
        ("Verified", "Geverifieerd: %1 van %2",
         "Verified: %1 of %2",
         "Verifiziert: %1 von %2"),
        ("MismatchParameter", "P%1 geschreven %2, gelezen %3",
         "P%1 written %2, read %3",
         "P%1 geschrieben %2, gelesen %3"),
        ("MismatchSetpoint", "S%1 geschreven %2, gelezen %3",
         "S%1 written %2, read %3",
         "S%1 geschrieben %2, gelesen %3"),
        ("UnconfirmedParameter", "P%1 onbevestigd (geen antwoord)",
         "P%1 unconfirmed (no reply)",
         "P%1 unbestätigt (keine Antwort)"),
        ("UnconfirmedSetpoint", "S%1 onbevestigd (geen antwoord)",
         "S%1 unconfirmed (no reply)",
         "S%1 unbestätigt (keine Antwort)"),
        ("More", "en %1 meer",
         "and %1 more",
         "und %1 weitere"),
        ("Verifying", "Teruglezen: %1 van %2",
         "Reading back: %1 of %2",
         "Rücklesen: %1 von %2"),
        ("VerifyFailed", "Teruglezen mislukt: %1",
         "Read-back failed: %1",
         "Rücklesen fehlgeschlagen: %1"),
        ("Written", "%1 van %2 geschreven",
         "%1 of %2 written",
         "%1 von %2 geschrieben"),
        ("WrittenBpOpen", "%1 van %2 geschreven; 'bp' niet bevestigd",
         "%1 of %2 written; 'bp' not confirmed",
         "%1 von %2 geschrieben; 'bp' nicht bestätigt"),
        ("ReadBackNotDone", "niet teruggelezen",
         "read-back not done",
         "nicht zurückgelesen"),
        ("ReadBackIncomplete", "teruglezen onvolledig: %1 van %2 geverifieerd",
         "read-back incomplete: %1 of %2 verified",
         "Rücklesen unvollständig: %1 von %2 verifiziert"),
        ("SafetyReading", "Veiligheidsbackup lezen: %1 van %2",
         "Reading safety backup: %1 of %2",
         "Sicherheitskopie lesen: %1 von %2"),
        ("SafetyFailed", "Veiligheidsbackup niet compleet (%1); er is niets geschreven",
         "Safety backup incomplete (%1); nothing was written",
         "Sicherheitskopie unvollständig (%1); nichts wurde geschrieben"),
        ("SafetySaveFailed", "Veiligheidsbackup niet opgeslagen (%1); er is niets geschreven",
         "Safety backup not saved (%1); nothing was written",
         "Sicherheitskopie nicht gespeichert (%1); nichts wurde geschrieben"),
        ("ReasonNoReply", "geen antwoord op %1",
         "no reply to %1",
         "keine Antwort auf %1"),
        ("ReasonLine", "lijn weg bij %1",
         "line lost at %1",
         "Leitung weg bei %1"),
        ("ReasonRefused", "%1 geweigerd",
         "%1 refused",
         "%1 abgelehnt"),
        ("ReasonBadReply", "onbruikbaar antwoord op %1",
         "unusable reply to %1",
         "unbrauchbare Antwort auf %1"),
        ("ReasonStopped", "afgebroken",
         "cancelled",
         "abgebrochen"),
        ("CmdCompare", "Vergelijken...",
         "Compare...",
         "Vergleichen..."),
        ("SideWritten", "Geschreven",
         "Written",
         "Geschrieben"),
        ("SideReadBack", "Teruggelezen",
         "Read back",
         "Zurückgelesen"),
        ("RowVerified", "geschreven, geverifieerd",
         "written, verified",
         "geschrieben, verifiziert"),
        ("RowMismatch", "geschreven, besturing heeft %1",
         "written, controller holds %1",
         "geschrieben, Steuerung hat %1"),
        ("OptSafety", "Veiligheidsbackup voor restore en zenden",
         "Safety backup before restore and send",
         "Sicherheitskopie vor Wiederherstellen und Senden"),
        ("OptVerify", "Na schrijven teruglezen en controleren",
         "Read back and verify after writing",
         "Nach dem Schreiben zurücklesen und prüfen"),
        ("UndoMenu", "Laatste schrijfactie ongedaan maken...",
         "Undo last write...",
         "Letzten Schreibvorgang rückgängig..."),
        ("UndoCaption", "Restore ongedaan maken",
         "Undo restore",
         "Wiederherstellung rückgängig"),
        ("UndoConfirm", "De veiligheidsbackup %1 wordt naar de besturing geschreven. Doorgaan?",
         "The safety backup %1 will be written to the controller. Go on?",
         "Die Sicherheitskopie %1 wird zur Steuerung geschrieben. Fortfahren?"),
        ("UndoNone", "Er is geen veiligheidsbackup in %1",
         "There is no safety backup in %1",
         "Keine Sicherheitskopie in %1"),
        ("GroupByMenu", "Per menu",
         "By menu",
         "Nach Menü"),
        ("ColMenu", "Menu",
         "Menu",
         "Menü"),
        ("NoMenu", "(in geen menu)",
         "(in no menu)",
         "(in keinem Menü)"),
        ("SetpointsMenu", "Sollwerten",
         "Setpoints",
         "Sollwerte"),
        ("CmdPrint", "Afdrukken (PDF)...",
         "Print (PDF)...",
         "Drucken (PDF)..."),
        ("PrintFilter", "PDF-bestand (*.pdf)|*.pdf",
         "PDF file (*.pdf)|*.pdf",
         "PDF-Datei (*.pdf)|*.pdf"),
        ("WriteCaption", "Schrijven naar de besturing", "Write to the controller", "In die Steuerung schreiben"),
        ("WriteCount", "%1 waarden worden naar deze besturing geschreven:",
         "%1 values will be written to this controller:",
         "%1 Werte werden in diese Steuerung geschrieben:"),
        ("TargetType", "Type: %1", "Type: %1", "Typ: %1"),
        ("TargetSerial", "Serienummer: %1", "Serial number: %1", "Seriennummer: %1"),
        ("TargetUnit", "Unit: %1", "Unit: %1", "Einheit: %1"),
        ("TargetPort", "Poort: %1", "Port: %1", "Schnittstelle: %1"),
        ("TargetUnknown", "(onbekend)", "(unknown)", "(unbekannt)"),
        ("WriteGoOn", "Doorgaan?", "Go on?", "Fortfahren?"),
        ("WriteDiffering", "%1 van %2 waarden wijken af van wat de besturing heeft (gelezen %3); alleen die worden naar deze besturing geschreven:",
         "%1 of %2 values differ from what the controller holds (read %3); only those will be written to this controller:",
         "%1 von %2 Werten weichen von dem ab, was die Steuerung hat (gelesen %3); nur diese werden in diese Steuerung geschrieben:"),
        ("WriteUpTo", "Alleen de waarden die afwijken van die van de besturing worden naar deze besturing geschreven (hoogstens %1):",
         "Only the values that differ from the controller's will be written to this controller (up to %1):",
         "Nur die Werte, die von denen der Steuerung abweichen, werden in diese Steuerung geschrieben (höchstens %1):"),
        ("WriteOlder", "Let op: deze set is ouder dan wat de besturing nu heeft (%1 waarden zijn sindsdien gelezen of geschreven en verschillen). Eerst ontvangen?",
         "Note: this set is older than what the controller holds now (%1 values were read or written since and differ). Receive first?",
         "Achtung: dieser Satz ist älter als das, was die Steuerung jetzt hat (%1 Werte wurden seitdem gelesen oder geschrieben und weichen ab). Zuerst empfangen?"),
        ("UndoNamed", "De laatste schrijfactie naar deze besturing terugdraaien: %1 van %2. De veiligheidsbackup %3, van daarvoor, wordt naar de besturing geschreven. Doorgaan?",
         "Undo the last write to this controller: the %1 of %2. The safety backup %3, taken before it, will be written to the controller. Go on?",
         "Den letzten Schreibvorgang zu dieser Steuerung rückgängig machen: %1 vom %2. Die Sicherheitskopie %3 von davor wird zur Steuerung geschrieben. Fortfahren?"),
        ("OlderTitle", "ouder dan de besturing", "older than the controller", "älter als die Steuerung"),
        ("DecimalsDiffer", "set: %1 decimalen, besturing: %2", "set: %1 decimals, controller: %2", "Satz: %1 Dezimalen, Steuerung: %2"),
        ("DecimalsRefused", "Sollwert %1 (%2) past niet in de %3 decimalen van de besturing; er is niets gezonden.",
         "Setpoint %1 (%2) does not fit the controller's %3 decimals; nothing was sent.",
         "Sollwert %1 (%2) passt nicht in die %3 Dezimalen der Steuerung; es wurde nichts gesendet."),
        ("OptAskWrite", "Vragen voor het schrijven naar de besturing",
         "Ask before writing to the controller",
         "Vor dem Schreiben in die Steuerung fragen"),
        ("OptWriteAll", "Elke waarde schrijven (niet alleen de afwijkende)",
         "Write every value (not only those that differ)",
         "Jeden Wert schreiben (nicht nur abweichende)"),
        ("DiffProgress", "%1 van %2 afwijkende waarden",
         "%1 of %2 differing values",
         "%1 von %2 abweichenden Werten"),
        ("DiffWritten", "%1 afwijkende waarden geschreven, %2 gelijke overgeslagen",
         "%1 differing values written, %2 equal ones skipped",
         "%1 abweichende Werte geschrieben, %2 gleiche übersprungen"),
    ]),
    ("Fleet", [
        ("LineUsedByOverview", "Het busoverzicht gebruikt de lijn; de actuele waarden wachten.",
         "The bus overview uses the line; live values are paused.",
         "Die Busübersicht benutzt die Leitung; die Istwerte warten."),
        ("ManifestChanged", "%1 is na de backup veranderd of beschadigd: de controlesom in het manifest klopt niet. Er wordt niets geschreven.",
         "%1 was changed or damaged after the backup: the checksum in its manifest does not match. Nothing is written.",
         "%1 wurde nach der Sicherung verändert oder beschädigt: die Prüfsumme im Manifest stimmt nicht. Es wird nichts geschrieben."),
        ("ManifestUnreadable", "Het manifest %1 is onleesbaar (%2). Er wordt niets geschreven.",
         "The manifest %1 cannot be read (%2). Nothing is written.",
         "Das Manifest %1 ist unlesbar (%2). Es wird nichts geschrieben."),
        ("ManifestNone", "Deze backup heeft geen manifest: type en inhoud konden niet gecontroleerd worden.",
         "This backup has no manifest: its type and contents could not be checked.",
         "Diese Sicherung hat kein Manifest: Typ und Inhalt konnten nicht geprüft werden."),
        ("OtherCaption", "Andere besturing",
         "Another controller",
         "Andere Steuerung"),
        ("OtherController", "Deze backup is van een andere besturing.|Backup: %1|Verbonden: %2||Toch naar de verbonden besturing schrijven?",
         "This backup is of another controller.|Backup: %1|Connected: %2||Write it to the connected controller all the same?",
         "Diese Sicherung stammt von einer anderen Steuerung.|Sicherung: %1|Verbunden: %2||Trotzdem in die verbundene Steuerung schreiben?"),
        ("MenuOverview", "Busoverzicht",
         "Bus overview",
         "Busübersicht"),
        ("MenuHistory", "Backupgeschiedenis",
         "Backup history",
         "Sicherungsverlauf"),
        ("ColPort", "Poort",
         "Port",
         "Schnittstelle"),
        ("ColUnit", "Unit",
         "Unit",
         "Einheit"),
        ("ColLine", "Lijn",
         "Line",
         "Leitung"),
        ("ColType", "Type (rt)",
         "Type (rt)",
         "Typ (rt)"),
        ("ColHardware", "Hardware (rh)",
         "Hardware (rh)",
         "Hardware (rh)"),
        ("ColSerial", "Serie (rx)",
         "Serial (rx)",
         "Serie (rx)"),
        ("ColError", "Error",
         "Error",
         "Fehler"),
        ("ColBackup", "Laatste backup",
         "Last backup",
         "Letzte Sicherung"),
        ("ColState", "Toestand",
         "State",
         "Zustand"),
        ("StateLive", "bereikbaar",
         "live",
         "erreichbar"),
        ("StateGone", "onbereikbaar",
         "unreachable",
         "nicht erreichbar"),
        ("StateUnknown", "?",
         "?",
         "?"),
        ("BackupNone", "geen",
         "none",
         "keine"),
        ("BackupOlder", "%1 (ouder dan laatste wijziging)",
         "%1 (older than the last change)",
         "%1 (älter als die letzte Änderung)"),
        ("CmdSearchBus", "Bus doorzoeken",
         "Search the bus",
         "Bus durchsuchen"),
        ("CmdBackupAll", "Backup van elke unit",
         "Backup every unit",
         "Jede Einheit sichern"),
        ("CmdHistory", "Geschiedenis...",
         "History...",
         "Verlauf..."),
        ("CmdCompare", "Vergelijken",
         "Compare",
         "Vergleichen"),
        ("CmdRestore", "Restore...",
         "Restore...",
         "Wiederherstellen..."),
        ("Searching", "Zoeken: %1 van %2",
         "Searching: %1 of %2",
         "Suche: %1 von %2"),
        ("Found", "%1 units gevonden",
         "%1 units found",
         "%1 Einheiten gefunden"),
        ("FoundOne", "1 unit gevonden",
         "1 unit found",
         "1 Einheit gefunden"),
        ("SideManual", "Backup (handmatig)",
         "Backup (manual)",
         "Sicherung (manuell)"),
        ("SideSafety", "Veiligheidsbackup",
         "Safety backup",
         "Sicherheitskopie"),
        ("SideAllUnits", "Backup (alle units)",
         "Backup (all units)",
         "Sicherung (alle Einheiten)"),
        ("SideFile", "Bestand",
         "File",
         "Datei"),
        ("BackingUp", "Backup unit %1 (%2 van %3)",
         "Backing up unit %1 (%2 of %3)",
         "Sicherung Einheit %1 (%2 von %3)"),
        ("AllDone", "Backup van elke unit: %1 gelukt, %2 mislukt",
         "Backup every unit: %1 done, %2 failed",
         "Jede Einheit sichern: %1 erledigt, %2 fehlgeschlagen"),
        ("AllUnitDone", "unit %1: %2",
         "unit %1: %2",
         "Einheit %1: %2"),
        ("AllUnitFailed", "unit %1: mislukt, %2",
         "unit %1: failed, %2",
         "Einheit %1: fehlgeschlagen, %2"),
        ("HistoryCaption", "Backupgeschiedenis %1",
         "Backup history %1",
         "Sicherungsverlauf %1"),
        ("ColDate", "Datum",
         "Date",
         "Datum"),
        ("ColKind", "Soort",
         "Kind",
         "Art"),
        ("ColDiffers", "Verschilt van vorige",
         "Differs from the one before",
         "Abweichend vom vorigen"),
        ("ColFile", "Bestand",
         "File",
         "Datei"),
        ("KindManual", "handmatig",
         "manual",
         "manuell"),
        ("KindSafety", "veiligheid",
         "safety",
         "Sicherheit"),
        ("KindAllUnits", "alle units",
         "all units",
         "alle Einheiten"),
        ("KindUnknown", "?",
         "?",
         "?"),
        ("PickTwo", "Kies twee backups om te vergelijken.",
         "Choose two backups to compare.",
         "Zwei Sicherungen zum Vergleichen wählen."),
        ("NoController", "Er is geen besturing verbonden.",
         "No controller is connected.",
         "Keine Steuerung verbunden."),
        ("OfferOverview", "%1 units gevonden. Het busoverzicht openen?",
         "%1 units found. Open the bus overview?",
         "%1 Einheiten gefunden. Die Busübersicht öffnen?"),
    ]),
]

LANG_HEADER = ["; VX5x service tool texts, Nederlands.",
               "; VX5x service tool texts, English.",
               "; VX5x service tool texts, Deutsch."]


def gen_texts():
    for lang in range(3):
        lines = [LANG_HEADER[lang], "; Generated by scripts/gen_data.py; edit there.", ""]
        for section, rows in TEXTS:
            lines.append("[%s]" % section)
            seen = set()
            for row in rows:
                assert len(row) == 4, row
                assert row[0].lower() not in seen, (section, row[0])
                seen.add(row[0].lower())
                assert "\n" not in row[1 + lang]
                lines.append("%s=%s" % (row[0], row[1 + lang]))
            lines.append("")
        write("Taal%d.ini" % lang, lines)



# =============================================================================
# Error-number help documents. (number, title, cause, remedy) per language.
# =============================================================================
ERRORS = [
    (1, ("SSI-fout as 1", "SSI error axis 1", "SSI-Fehler Achse 1"),
     ("De SSI-gever van as 1 geeft geen geldige gegevens: geen klok- of datasignaal, het foutbit van de gever is gezet, of het aantal databits klopt niet.",
      "The SSI encoder of axis 1 delivers no valid data: no clock or data signal, the encoder's error bit is set, or the number of data bits is wrong.",
      "Der SSI-Geber der Achse 1 liefert keine gültigen Daten: kein Takt- oder Datensignal, das Fehlerbit des Gebers ist gesetzt oder die Anzahl Datenbits stimmt nicht."),
     ("Kabel en voeding van de gever controleren. Parameters 40 en 45 tot 49 vergelijken met het typeplaatje van de gever. Bij lange kabels een lagere SSI-klokfrequentie kiezen (parameter 47).",
      "Check the encoder cable and supply. Compare parameters 40 and 45 to 49 with the encoder's type plate. With long cables choose a lower SSI clock rate (parameter 47).",
      "Kabel und Versorgung des Gebers prüfen. Parameter 40 und 45 bis 49 mit dem Typenschild des Gebers vergleichen. Bei langen Kabeln eine niedrigere SSI-Taktfrequenz wählen (Parameter 47).")),
    (2, ("SSI-fout as 2", "SSI error axis 2", "SSI-Fehler Achse 2"),
     ("Als fout 1, voor de gever van as 2.", "As error 1, for the encoder of axis 2.", "Wie Fehler 1, für den Geber der Achse 2."),
     ("Als fout 1; de parameters zijn 60 en 65 tot 69, de klokfrequentie parameter 67.",
      "As error 1; the parameters are 60 and 65 to 69, the clock rate parameter 67.",
      "Wie Fehler 1; die Parameter sind 60 und 65 bis 69, die Taktfrequenz Parameter 67.")),
    (3, ("Encoderfout as 1", "Encoder error axis 1", "Geberfehler Achse 1"),
     ("De bewaking van de incrementele gever van as 1 meldt een kabelbreuk, ontbrekende of te snelle signalen.",
      "The monitoring of the incremental encoder of axis 1 reports a broken cable, missing signals or signals that come too fast.",
      "Die Überwachung des Inkrementalgebers der Achse 1 meldet einen Kabelbruch, fehlende oder zu schnelle Signale."),
     ("Kabel, stekker en afscherming controleren; de gever vervangen als de fout blijft. Parameter 58 zet de bewaking uit, maar alleen voor tests.",
      "Check cable, connector and shielding; replace the encoder if the error persists. Parameter 58 switches the monitoring off, for tests only.",
      "Kabel, Stecker und Schirmung prüfen; den Geber tauschen, wenn der Fehler bleibt. Parameter 58 schaltet die Überwachung ab, nur für Tests.")),
    (4, ("Encoderfout as 2", "Encoder error axis 2", "Geberfehler Achse 2"),
     ("Als fout 3, voor as 2.", "As error 3, for axis 2.", "Wie Fehler 3, für Achse 2."),
     ("Als fout 3; de bewaking staat in parameter 78.", "As error 3; the monitoring is parameter 78.",
      "Wie Fehler 3; die Überwachung ist Parameter 78.")),
    (5, ("Positieverschil te groot", "Position difference too large", "Positionsdifferenz zu groß"),
     ("Het verschil tussen positie 1 en positie 2 is langer dan de vertraging (parameter 207) groter dan het maximum (parameter 206): sleepfout, slippende koppeling of verkeerde schaalfactor.",
      "The difference between position 1 and position 2 has stayed above its maximum (parameter 206) for longer than the delay (parameter 207): following error, slipping coupling or wrong scaling.",
      "Die Differenz zwischen Position 1 und Position 2 lag länger als die Verzögerung (Parameter 207) über dem Maximum (Parameter 206): Schleppfehler, rutschende Kupplung oder falsche Skalierung."),
     ("Mechaniek en koppelingen controleren. Schaalfactoren (parameters 43/44 en 63/64) en offsets nakijken. Pas daarna de fout resetten.",
      "Check the mechanics and couplings. Check the scaling (parameters 43/44 and 63/64) and the offsets. Only then reset the error.",
      "Mechanik und Kupplungen prüfen. Skalierung (Parameter 43/44 und 63/64) und Offsets prüfen. Erst dann den Fehler quittieren.")),
    (6, ("Software-eindschakelaar as 1", "Software limit axis 1", "Software-Endschalter Achse 1"),
     ("Positie 1 ligt buiten de grenzen van de parameters 53 en 54 (bewaking aan met parameter 55).",
      "Position 1 lies outside the limits of parameters 53 and 54 (monitoring switched on by parameter 55).",
      "Position 1 liegt außerhalb der Grenzen aus Parameter 53 und 54 (Überwachung mit Parameter 55 eingeschaltet)."),
     ("As binnen het bereik terugbrengen en de fout resetten. Bij een verschoven nulpunt de referentie of de offset (parameter 51) controleren.",
      "Move the axis back into range and reset the error. If the zero point has shifted, check the reference or the offset (parameter 51).",
      "Achse in den Bereich zurückfahren und den Fehler quittieren. Bei verschobenem Nullpunkt Referenz oder Offset (Parameter 51) prüfen.")),
    (7, ("Software-eindschakelaar as 2", "Software limit axis 2", "Software-Endschalter Achse 2"),
     ("Als fout 6, voor as 2 (parameters 73, 74 en 75).", "As error 6, for axis 2 (parameters 73, 74 and 75).",
      "Wie Fehler 6, für Achse 2 (Parameter 73, 74 und 75)."),
     ("Als fout 6; de offset is parameter 71.", "As error 6; the offset is parameter 71.", "Wie Fehler 6; der Offset ist Parameter 71.")),
    (8, ("Eindschakelaar bereikt", "Limit switch reached", "Endschalter angefahren"),
     ("Een ingang met de functie eindschakelaar (parameters 500 tot 507) is actief, of de draad naar een verbreekcontact is onderbroken.",
      "An input with a limit switch function (parameters 500 to 507) is active, or the wire to a normally closed contact is broken.",
      "Ein Eingang mit Endschalterfunktion (Parameter 500 bis 507) ist aktiv, oder die Leitung zu einem Öffner ist unterbrochen."),
     ("As van de eindschakelaar afbewegen, bedrading controleren, dan de fout resetten. Parameter 208 bepaalt verbreek- of maakcontact.",
      "Move the axis off the limit switch, check the wiring, then reset the error. Parameter 208 selects normally closed or normally open contacts.",
      "Achse vom Endschalter wegfahren, Verdrahtung prüfen, dann den Fehler quittieren. Parameter 208 wählt Öffner oder Schließer.")),
    (9, ("EEPROM-fout", "EEPROM error", "EEPROM-Fehler"),
     ("Het EEPROM met de parameters kan niet gelezen of beschreven worden.",
      "The EEPROM holding the parameters cannot be read or written.",
      "Das EEPROM mit den Parametern kann nicht gelesen oder beschrieben werden."),
     ("Besturing uit- en weer inschakelen. Blijft de fout, dan eerst een backup maken (voor zover mogelijk) en de besturing ter reparatie sturen.",
      "Switch the controller off and on again. If the error remains, make a backup if still possible and send the controller for repair.",
      "Steuerung aus- und wieder einschalten. Bleibt der Fehler, wenn möglich eine Sicherung erstellen und die Steuerung zur Reparatur einschicken.")),
    (10, ("Parameter checksum fout", "Parameter checksum error", "Parameter-Prüfsummenfehler"),
     ("De parameters in het EEPROM passen niet bij de opgeslagen checksum (parameter 511), bijvoorbeeld na een spanningsonderbreking tijdens het opslaan.",
      "The parameters in the EEPROM do not match the stored checksum (parameter 511), for example after a power failure while saving.",
      "Die Parameter im EEPROM passen nicht zur gespeicherten Prüfsumme (Parameter 511), zum Beispiel nach einem Spannungsausfall beim Speichern."),
     ("Parameters opnieuw zenden (uit een bestand of backup) en laden; de besturing berekent daarbij de checksum opnieuw.",
      "Send the parameters again (from a file or backup) and load them; the controller then computes the checksum anew.",
      "Parameter erneut senden (aus Datei oder Sicherung) und übernehmen; die Steuerung berechnet dabei die Prüfsumme neu.")),
    (11, ("Communicatiefout", "Communication error", "Kommunikationsfehler"),
     ("De besturing heeft een pariteits-, frame- of overloopfout ontvangen, of de communicatiebewaking (parameter 6) is afgelopen.",
      "The controller received a parity, framing or overrun error, or the communication watchdog (parameter 6) has expired.",
      "Die Steuerung hat einen Paritäts-, Rahmen- oder Überlauffehler empfangen, oder die Kommunikationsüberwachung (Parameter 6) ist abgelaufen."),
     ("Baudrate, pariteit en stopbits van pc en besturing vergelijken (parameters 1 tot 4). RS485-afsluiting en afscherming controleren.",
      "Compare baud rate, parity and stop bits of PC and controller (parameters 1 to 4). Check the RS485 termination and shielding.",
      "Baudrate, Parität und Stoppbits von PC und Steuerung vergleichen (Parameter 1 bis 4). RS485-Abschluss und Schirmung prüfen.")),
    (12, ("Voedingsspanning te laag", "Supply voltage too low", "Versorgungsspannung zu niedrig"),
     ("De voedingsspanning is onder het minimum van parameter 261 gezakt.",
      "The supply voltage has dropped below the minimum of parameter 261.",
      "Die Versorgungsspannung ist unter das Minimum aus Parameter 261 gefallen."),
     ("Voeding en aansluitingen meten; de fout resetten zodra de spanning weer goed is.",
      "Measure the supply and its connections; reset the error once the voltage is right again.",
      "Versorgung und Anschlüsse messen; den Fehler quittieren, sobald die Spannung wieder stimmt.")),
    (13, ("Temperatuur te hoog", "Temperature too high", "Temperatur zu hoch"),
     ("De inwendige temperatuur is hoger dan parameter 262.", "The internal temperature exceeds parameter 262.",
      "Die Innentemperatur liegt über Parameter 262."),
     ("Ventilatie van de kast controleren en de besturing laten afkoelen.", "Check the cabinet ventilation and let the controller cool down.",
      "Belüftung des Schaltschranks prüfen und die Steuerung abkühlen lassen.")),
    (14, ("Max. snelheid as 1 overschreden", "Max. velocity axis 1 exceeded", "Max. Geschwindigkeit Achse 1 überschritten"),
     ("Snelheid 1 is hoger dan parameter 59 (bewaking aan met parameter 212).",
      "Velocity 1 exceeds parameter 59 (monitoring switched on by parameter 212).",
      "Geschwindigkeit 1 liegt über Parameter 59 (Überwachung mit Parameter 212 eingeschaltet)."),
     ("Machine controleren; bij een storende gever eerst de fouten 1 en 3 uitsluiten.",
      "Check the machine; with a faulty encoder rule out errors 1 and 3 first.",
      "Maschine prüfen; bei gestörtem Geber zuerst die Fehler 1 und 3 ausschließen.")),
    (15, ("Max. snelheid as 2 overschreden", "Max. velocity axis 2 exceeded", "Max. Geschwindigkeit Achse 2 überschritten"),
     ("Als fout 14, voor as 2 (parameter 79).", "As error 14, for axis 2 (parameter 79).", "Wie Fehler 14, für Achse 2 (Parameter 79)."),
     ("Als fout 14; fouten 2 en 4 uitsluiten.", "As error 14; rule out errors 2 and 4.", "Wie Fehler 14; Fehler 2 und 4 ausschließen.")),
    (16, ("Referentiecorrectie K0-1 te groot", "Reference correction K0-1 too large", "Referenzkorrektur K0-1 zu groß"),
     ("Bij de fijnreferentie via K0-1 was de correctie groter dan parameter 227.",
      "At the fine reference through K0-1 the correction was larger than parameter 227.",
      "Bei der Feinreferenz über K0-1 war die Korrektur größer als Parameter 227."),
     ("Referentieschakelaar, referentiepositie (parameter 222) en schaalfactor controleren.",
      "Check the reference switch, the reference position (parameter 222) and the scaling.",
      "Referenzschalter, Referenzposition (Parameter 222) und Skalierung prüfen.")),
    (17, ("Referentiecorrectie K0-2 te groot", "Reference correction K0-2 too large", "Referenzkorrektur K0-2 zu groß"),
     ("Als fout 16, voor K0-2 (parameter 247).", "As error 16, for K0-2 (parameter 247).", "Wie Fehler 16, für K0-2 (Parameter 247)."),
     ("Als fout 16; de referentiepositie is parameter 242.", "As error 16; the reference position is parameter 242.",
      "Wie Fehler 16; die Referenzposition ist Parameter 242.")),
    (18, ("Ongeldige parametercombinatie", "Invalid parameter combination", "Ungültige Parameterkombination"),
     ("Bij het laden van de parameters ('Laad par') vond de besturing een waarde die niet bij de andere past, bijvoorbeeld noemer 0 of minimum groter dan maximum. De melding van het laden noemt het parameternummer.",
      "When loading the parameters ('Laad par') the controller found a value that does not fit the others, for example a denominator of 0 or a minimum above the maximum. The loading message names the parameter number.",
      "Beim Übernehmen der Parameter ('Laad par') fand die Steuerung einen Wert, der nicht zu den anderen passt, zum Beispiel Nenner 0 oder Minimum größer als Maximum. Die Meldung nennt die Parameternummer."),
     ("Genoemde parameter corrigeren, opnieuw zenden en laden.", "Correct the parameter named, send and load again.",
      "Genannten Parameter korrigieren, erneut senden und übernehmen.")),
    (19, ("Ongeldige nokdefinitie", "Invalid cam definition", "Ungültige Nockendefinition"),
     ("Een actieve nok heeft een aanvang of einde buiten het modulobereik, een sollwert-selectie naar een niet bestaande sollwert of een uitgang buiten 1 tot 16.",
      "An active cam has a start or end outside the modulo range, a setpoint selection that names no setpoint, or an output outside 1 to 16.",
      "Eine aktive Nocke hat Anfang oder Ende außerhalb des Modulobereichs, eine Sollwertauswahl ohne Sollwert oder einen Ausgang außerhalb 1 bis 16."),
     ("In het nokkenoverzicht de nok opzoeken en zijn parameters (groep 8) of de sollwerten corrigeren.",
      "Find the cam in the cam overview and correct its parameters (group 8) or the setpoints.",
      "Die Nocke in der Nockenübersicht suchen und ihre Parameter (Gruppe 8) oder die Sollwerte korrigieren.")),
    (20, ("Analoge uitgang overbelast", "Analogue output overloaded", "Analogausgang überlastet"),
     ("De analoge uitgang is kortgesloten (spanning) of onderbroken (stroom), of de kalibratiewaarden zijn ongeldig.",
      "The analogue output is short-circuited (voltage) or open (current), or its calibration values are invalid.",
      "Der Analogausgang ist kurzgeschlossen (Spannung) oder unterbrochen (Strom), oder die Kalibrierwerte sind ungültig."),
     ("Bedrading en belasting controleren; parameter 280 moet bij de aansluiting passen. Kalibratie alleen door service.",
      "Check wiring and load; parameter 280 must match the connection. Calibration by service staff only.",
      "Verdrahtung und Last prüfen; Parameter 280 muss zum Anschluss passen. Kalibrierung nur durch den Service.")),
    (21, ("Interne fout (watchdog)", "Internal error (watchdog)", "Interner Fehler (Watchdog)"),
     ("Het programma van de besturing is door de watchdog opnieuw gestart.", "The controller's program was restarted by its watchdog.",
      "Das Programm der Steuerung wurde vom Watchdog neu gestartet."),
     ("Storingsbronnen (aarding, afscherming, relaisspoelen zonder blusdiode) opsporen. Bij herhaling de fabrikant raadplegen.",
      "Look for interference (earthing, shielding, relay coils without suppression). If it recurs, contact the manufacturer.",
      "Störquellen suchen (Erdung, Schirmung, Relaisspulen ohne Löschglied). Bei Wiederholung den Hersteller fragen.")),
    (22, ("Sollwert buiten bereik", "Setpoint out of range", "Sollwert außerhalb des Bereichs"),
     ("Een sollwert die door een nok gebruikt wordt, ligt buiten het modulobereik van zijn bron.",
      "A setpoint used by a cam lies outside the modulo range of the cam's source.",
      "Ein Sollwert, den eine Nocke verwendet, liegt außerhalb des Modulobereichs ihrer Quelle."),
     ("Sollwerten controleren en opnieuw zenden.", "Check the setpoints and send them again.", "Sollwerte prüfen und erneut senden.")),
]

HELP = {
    "title": ("Foutnummers VX50 / VX51", "VX50 / VX51 error numbers", "Fehlernummern VX50 / VX51"),
    "intro": ("Het hoofdvenster toont een actieve fout als \u201cVX50... Error:\u201d met het nummer. Na het verhelpen van de oorzaak wist de knop \u201cReset fout\u201d de melding; staat de oorzaak er nog, dan komt de fout terug.",
              "The main window shows an active error as \u201cVX50... Error:\u201d followed by its number. Once the cause is removed, the \u201cReset error\u201d button clears it; if the cause is still there, the error returns.",
              "Das Hauptfenster zeigt einen anstehenden Fehler als \u201cVX50... Error:\u201d mit seiner Nummer. Ist die Ursache behoben, l\u00f6scht die Schaltfl\u00e4che \u201cFehler quitt.\u201d die Meldung; besteht die Ursache weiter, kommt der Fehler wieder."),
    "no": ("Nr", "No", "Nr"),
    "err": ("Fout", "Error", "Fehler"),
    "cause": ("Oorzaak:", "Cause:", "Ursache:"),
    "remedy": ("Oplossing:", "Remedy:", "Abhilfe:"),
    "notes": ("Meldingen bij zenden", "Messages while sending", "Meldungen beim Senden"),
    "er7": ("Het antwoord \u201cer 7\u201d op een schrijfcommando is geen foutnummer: de besturing weigert die ene waarde (buiten haar grenzen). Waarde corrigeren en opnieuw zenden.",
            "The reply \u201cer 7\u201d to a write is not an error number: the controller refuses that one value (outside its limits). Correct the value and send again.",
            "Die Antwort \u201cer 7\u201d auf einen Schreibbefehl ist keine Fehlernummer: die Steuerung lehnt diesen einen Wert ab (au\u00dferhalb ihrer Grenzen). Wert korrigieren und erneut senden."),
    "bp": ("Weigert de besturing het laden van de parameters, dan toont het programma het nummer van de parameter die niet klopt (zie fout 18).",
           "When the controller refuses to load the parameters, the program shows the number of the parameter at fault (see error 18).",
           "Lehnt die Steuerung die \u00dcbernahme der Parameter ab, zeigt das Programm die Nummer des fehlerhaften Parameters (siehe Fehler 18)."),
}


def rtf_text(t):
    out = []
    for ch in t:
        c = ord(ch)
        if ch in "\\{}":
            out.append("\\" + ch)
        elif c < 128:
            out.append(ch)
        else:
            try:
                b = ch.encode("cp1252")
                out.append("\\'%02x" % b[0])
            except UnicodeEncodeError:
                out.append("\\u%d?" % (c if c < 32768 else c - 65536))
    return "".join(out)


def gen_help():
    for lang in range(3):
        h = {k: v[lang] for k, v in HELP.items()}
        o = ["{\\rtf1\\ansi\\ansicpg1252\\deff0",
             "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fmodern\\fcharset0 Courier New;}}",
             "\\pard\\qc\\b\\fs32 %s\\b0\\par" % rtf_text(h["title"]),
             "\\pard\\fs20\\par",
             "\\pard\\fs20 %s\\par" % rtf_text(h["intro"]),
             "\\par"]
        for num, title, cause, remedy in ERRORS:
            o.append("\\pard\\tx1400\\fs24\\b %s %d\\tab %s\\b0\\par" % (rtf_text(h["err"]), num, rtf_text(title[lang])))
            o.append("\\pard\\tx1400\\fs20\\i %s\\i0\\tab %s\\par" % (rtf_text(h["cause"]), rtf_text(cause[lang])))
            o.append("\\pard\\tx1400\\fs20\\i %s\\i0\\tab %s\\par" % (rtf_text(h["remedy"]), rtf_text(remedy[lang])))
            o.append("\\pard\\fs20\\par")
        o.append("\\pard\\fs24\\b %s\\b0\\par" % rtf_text(h["notes"]))
        o.append("\\pard\\tx1400\\fs20\\b er 7\\b0\\tab %s\\par" % rtf_text(h["er7"]))
        o.append("\\pard\\tx1400\\fs20\\b bp\\b0\\tab %s\\par" % rtf_text(h["bp"]))
        o.append("}")
        with open(os.path.join(OUT, "ErrorHelp%d.rtf" % lang), "w", encoding="ascii", newline="\r\n") as f:
            f.write("\n".join(o) + "\n")


if __name__ == "__main__":
    assert GROUPS[7][0][1] == "Cams"
    gen_parameters()
    gen_menus()
    gen_texts()
    gen_help()
