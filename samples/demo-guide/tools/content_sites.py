"""Empiric therapy by site of infection, for the demo guide's linked tight
hierarchy. All values are made up for demonstration.

A condition is (key, title, index synonyms, fields) where fields lists the
texts of the field names in FIELD_NAMES order (None: an empty field), or
(key, title, index synonyms, "->label") for an entry that leads elsewhere.
"[drug]" in a text becomes a link to that drug's monograph; "[[label|text]]"
a link to any labelled object.
"""

FIELD_NAMES = ["Likely organisms", "First choice", "Alternative", "Duration", "Comments"]

SITES = [
    ("resp", "Respiratory tract", [
        ("cap", "Community-acquired pneumonia", ["Pneumonia, community-acquired", "X-ray, chest (pneumonia)"], [
            "<i>S. pneumoniae</i>, <i>H. influenzae</i>, atypical bacteria",
            "[amoxicillin], adding [clarithromycin] when atypical bacteria are likely",
            "[doxycycline] or [levofloxacin]",
            "5 to 7 days",
            "Judge severity before choosing the route."]),
        ("hap", "Hospital-acquired pneumonia", ["Pneumonia, hospital-acquired"], [
            "Enterobacterales, <i>P. aeruginosa</i>, <i>S. aureus</i>",
            "[piptazo]",
            "[meropenem]; add [vancomycin] when MRSA is likely",
            "7 days",
            None]),
        ("copd", "Exacerbation of COPD", ["COPD exacerbation"], [
            "<i>H. influenzae</i>, <i>S. pneumoniae</i>",
            "[amoxicillin] or [doxycycline]",
            "[clarithromycin]",
            "5 days",
            "Antibiotics only when the sputum is purulent."]),
        ("pharyngitis", "Streptococcal pharyngitis", ["Sore throat", "Tonsillitis"], [
            "<i>S. pyogenes</i>",
            "[amoxicillin]",
            "[clarithromycin] in penicillin allergy",
            "10 days",
            None]),
        ("otitis", "Acute otitis media", ["Otitis media"], [
            "<i>S. pneumoniae</i>, <i>H. influenzae</i>",
            "[amoxicillin]",
            "[coamoxiclav]",
            "5 days",
            "Many cases settle without antibiotics."]),
        ("sinusitis", "Acute sinusitis", ["Sinusitis"], [
            None,
            "[amoxicillin]",
            "[doxycycline]",
            "5 days",
            None]),
        ("pertussis", "Pertussis", ["Whooping cough"], [
            "<i>Bordetella pertussis</i>",
            "[azithromycin]",
            "[clarithromycin]",
            "3 to 7 days",
            "Treat close contacts as well."]),
        ("legionella", "Legionella pneumonia", ["Legionnaires disease"], [
            "<i>Legionella pneumophila</i>",
            "[levofloxacin]",
            "[azithromycin]",
            "7 to 14 days",
            None]),
    ]),
    ("uti", "Urinary tract", [
        ("cystitis", "Cystitis, uncomplicated", ["Lower urinary tract infection", "Urine culture"], [
            "<i>E. coli</i>, other Enterobacterales",
            "[nitrofurantoin]",
            "[fosfomycin] or [tmpsmx]",
            "3 to 5 days",
            "Check renal function before nitrofurantoin with the [[calc_crcl|CrCl calculator]]."]),
        ("pyelo", "Pyelonephritis", ["Kidney infection"], [
            "<i>E. coli</i>, other Enterobacterales",
            "[ciprofloxacin]",
            "[ceftriaxone], then an oral agent by culture",
            "7 to 10 days",
            None]),
        ("cauti", "Catheter-associated urinary infection", [], [
            "Enterobacterales, enterococci, <i>P. aeruginosa</i>",
            "[gentamicin] as a single dose, then by culture",
            "[piptazo]",
            "7 days",
            "Change the catheter."]),
        ("prostatitis", "Acute prostatitis", ["Prostatitis"], [
            "Enterobacterales",
            "[ciprofloxacin]",
            "[tmpsmx]",
            "14 to 28 days",
            None]),
        ("candiduria", "Candiduria", ["Yeast in urine"], [
            "<i>Candida</i> species",
            "Remove the catheter; treat only when symptomatic",
            "[fluconazole]",
            "7 to 14 days",
            None]),
    ]),
    ("skin", "Skin and soft tissue", [
        ("cellulitis", "Cellulitis", ["Wound infection"], [
            "<i>S. pyogenes</i>, <i>S. aureus</i>",
            "[flucloxacillin]",
            "[clindamycin] or [doxycycline]",
            "5 to 7 days",
            "Mark the edge of the redness to follow it."]),
        ("impetigo", "Impetigo", [], [
            "<i>S. aureus</i>, <i>S. pyogenes</i>",
            "Topical treatment for small areas",
            "[flucloxacillin]",
            "5 days",
            None]),
        ("diabeticfoot", "Diabetic foot infection", ["Foot infection, diabetic"], [
            "Mixed: staphylococci, streptococci, Gram-negatives, anaerobes",
            "[coamoxiclav]",
            "[piptazo] when severe",
            "7 to 14 days",
            "Look for bone involvement ([[cond_osteomyelitis|osteomyelitis]])."]),
        ("bite", "Animal or human bite", ["Bite wounds"], [
            "<i>Pasteurella</i>, streptococci, anaerobes",
            "[coamoxiclav]",
            "[doxycycline] with [metronidazole]",
            "5 days",
            None]),
        ("necfasc", "Necrotising fasciitis", ["Fasciitis, necrotising"], [
            "Group A streptococcus, mixed anaerobes",
            "Urgent surgery; [meropenem] with [clindamycin]",
            "[piptazo] with [clindamycin]",
            "By surgical review",
            "A surgical emergency."]),
        ("mrsaskin", "MRSA skin infection", [], [
            "<i>S. aureus</i> (MRSA)",
            "[doxycycline]",
            "[linezolid]",
            "7 days",
            None]),
    ]),
    ("cns", "Central nervous system", [
        ("meningitis", "Bacterial meningitis", ["Meningitis, bacterial", "Xanthochromia (CSF)"], [
            "<i>N. meningitidis</i>, <i>S. pneumoniae</i>",
            "[ceftriaxone]",
            "[meropenem]; add [ampicillin] over 60 years of age",
            "7 to 14 days",
            "Do not delay the first dose for a lumbar puncture."]),
        ("brainabscess", "Brain abscess", ["Abscess, brain"], [
            "Streptococci, anaerobes",
            "[ceftriaxone] with [metronidazole]",
            "[meropenem]",
            "6 to 8 weeks",
            None]),
        ("hsvenceph", "Herpes simplex encephalitis", ["Encephalitis, herpes simplex"], [
            "Herpes simplex virus",
            "[aciclovir]",
            "Specialist advice",
            "14 to 21 days",
            None]),
    ]),
    ("abdo", "Intra-abdominal", [
        ("appendicitis", "Complicated appendicitis", ["Appendicitis"], [
            "Enterobacterales, anaerobes",
            "[coamoxiclav]",
            "[ceftriaxone] with [metronidazole]",
            "4 days after source control",
            None]),
        ("biliary", "Biliary tract infection", ["Cholangitis", "Cholecystitis"], [
            "Enterobacterales, enterococci, anaerobes",
            "[piptazo]",
            "[ceftriaxone] with [metronidazole]",
            "4 to 7 days",
            None]),
        ("cdiff", "C. difficile infection", ["Clostridioides difficile infection", "Diarrhoea, antibiotic-associated"], [
            "<i>C. difficile</i>",
            "[vancomycin] by mouth",
            "[metronidazole]",
            "10 days",
            "Stop other antibiotics where possible."]),
        ("peritonitis", "Secondary peritonitis", ["Peritonitis"], [
            "Enterobacterales, anaerobes",
            "[piptazo]",
            "[meropenem]",
            "4 days after source control",
            None]),
    ]),
    ("bone", "Bone and joint", [
        ("osteomyelitis", "Osteomyelitis", [], [
            "<i>S. aureus</i>",
            "[flucloxacillin]",
            "[clindamycin]",
            "6 weeks",
            None]),
        ("septicarthritis", "Septic arthritis", ["Joint infection", "Arthritis, septic"], [
            "<i>S. aureus</i>, streptococci, gonococci",
            "[flucloxacillin]",
            "[ceftriaxone] when gonococci are likely",
            "4 to 6 weeks",
            None]),
        ("pji", "Prosthetic joint infection", ["Joint infection, prosthetic"], [
            "Staphylococci",
            "Specialist advice; [vancomycin] after samples",
            "[daptomycin]",
            "By specialist",
            "[rifampicin] is sometimes added, never alone."]),
    ]),
    ("blood", "Bloodstream and heart", [
        ("sepsis", "Sepsis of unknown source", ["Sepsis"], "->note_sepsis"),
        ("endocarditis", "Infective endocarditis", ["Endocarditis"], [
            "Streptococci, <i>S. aureus</i>, enterococci",
            "[amoxicillin] with [gentamicin]",
            "[vancomycin] with [gentamicin]",
            "4 to 6 weeks",
            "Take three blood cultures first."]),
        ("lineinfection", "Central line infection", ["Line infection"], [
            "Coagulase-negative staphylococci, <i>S. aureus</i>, Gram-negatives",
            "[vancomycin]",
            "[daptomycin]",
            "7 to 14 days",
            "Remove the line when possible."]),
        ("neutropenic", "Neutropenic fever", ["Febrile neutropenia"], [
            "Gram-negatives including <i>P. aeruginosa</i>",
            "[piptazo]",
            "[meropenem]",
            "Until the neutrophils recover",
            None]),
    ]),
    ("sti", "Sexually transmitted and exposures", [
        ("gonorrhoea", "Gonorrhoea", [], [
            "<i>Neisseria gonorrhoeae</i>",
            "[ceftriaxone]",
            "Specialist advice",
            "Single dose",
            "Test for other infections as well."]),
        ("chlamydia", "Chlamydia", [], [
            "<i>Chlamydia trachomatis</i>",
            "[doxycycline]",
            "[azithromycin]",
            "7 days",
            None]),
        ("syphilis", "Early syphilis", ["Syphilis", "Jarisch-Herxheimer reaction"], [
            "<i>Treponema pallidum</i>",
            "[benzylpenicillin] (long-acting form)",
            "[doxycycline]",
            "Single dose to 14 days",
            "Warn about a Jarisch-Herxheimer reaction."]),
        ("urethritis", "Non-gonococcal urethritis", ["Urethritis", "Ureaplasma"], [
            "<i>C. trachomatis</i>, <i>Mycoplasma genitalium</i>, <i>Ureaplasma</i>",
            "[doxycycline]",
            "[azithromycin]",
            "7 days",
            None]),
        ("needlestick", "Needlestick or splash exposure", ["Needlestick injury", "Occupational exposure"], "->pep_tree"),
    ]),
    ("fv", "Fungal and viral", [
        ("oralcandida", "Oral candidiasis", ["Thrush, oral"], [
            "<i>Candida albicans</i>",
            "[fluconazole]",
            "Topical therapy",
            "7 to 14 days",
            None]),
        ("aspergillosis", "Invasive aspergillosis", ["Aspergillosis"], [
            "<i>Aspergillus</i> species",
            "[voriconazole]",
            "[amphotericin]",
            "At least 6 weeks",
            "Check drug levels of voriconazole."]),
        ("candidaemia", "Candidaemia", [], [
            "<i>Candida</i> species",
            "[caspofungin]",
            "[fluconazole] when susceptible",
            "14 days after the first negative culture",
            None]),
        ("influenza", "Influenza", ["Flu"], [
            "Influenza A and B viruses",
            "[oseltamivir]",
            "Specialist advice",
            "5 days",
            None]),
        ("zoster", "Herpes zoster", ["Shingles", "Zoster"], [
            "Varicella-zoster virus",
            "[valaciclovir]",
            "[aciclovir]",
            "7 days",
            None]),
        ("cmv", "CMV disease", ["Cytomegalovirus disease"], [
            "Cytomegalovirus",
            "[ganciclovir]",
            "Specialist advice",
            "By specialist",
            None]),
        ("mucor", "Mucormycosis", ["Zygomycosis"], [
            "Mucorales",
            "[amphotericin]",
            "Specialist advice",
            "By specialist",
            "Urgent surgery as well."]),
    ]),
    ("aids", "Dosing aids", [
        ("renalaid", "Dosing in renal impairment", ["Kidney function"], "->calc_crcl"),
        ("renaltableaid", "Renal dose table", [], "->renal_table"),
        ("monoaid", "Drug monographs", [], "->mono_table"),
    ]),
]
