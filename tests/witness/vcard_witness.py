#!/usr/bin/python3
"""vCards written and read by python-vobject, an independent implementation.

    vcard_witness.py write FILE   writes the contacts below as vCard 3.0
    vcard_witness.py read FILE    prints each card of FILE on one line:
                                  family|given|additional|prefix, then the first
                                  address street|extended|city|region|code|country,
                                  then the phones and the e-mails, tab-separated"""
import sys
import vobject

CONTACTS = [
    dict(family="Müller", given="Dörte", additional="Anna", prefix="Dr.", org="Smith, Jones & Co", title="Chair",
         adr=[("home", "12 Oak St", "Apt 4", "Zürich", "ZH", "8001", "Switzerland"),
              ("work", "1 Main St", "", "Dayton", "OH", "45401", "USA")],
         tel=[("work", "555-0101"), ("cell", "555-0102"), ("fax", "555-0103"), ("home", "555-0104")],
         email=["doerte@example.com", "d.mueller@example.org"],
         note="Met at the fair;\nlikes tea, not coffee", bday="1969-07-20"),
    dict(family="O'Brien", given="Seán", additional="", prefix="", org="", title="",
         adr=[("home", "Flat 2, 9 Quay Road", "", "Cork", "", "T12 X1Y2", "Ireland")],
         tel=[("home", "+353 21 555 0000")], email=[], note="", bday=""),
    dict(family="Zed", given="Zoë", additional="", prefix="Ms.", org="ACME", title="",
         adr=[], tel=[], email=["zoe@example.net"], note="", bday=""),
]


def write(path):
    out = []
    for c in CONTACTS:
        card = vobject.vCard()
        card.add("n").value = vobject.vcard.Name(family=c["family"], given=c["given"], additional=c["additional"],
                                                 prefix=c["prefix"])
        card.add("fn").value = " ".join(p for p in (c["prefix"], c["given"], c["family"]) if p)
        if c["org"]:
            card.add("org").value = [c["org"]]
        if c["title"]:
            card.add("title").value = c["title"]
        for kind, street, extended, city, region, code, country in c["adr"]:
            adr = card.add("adr")
            adr.value = vobject.vcard.Address(street=street, extended=extended, city=city, region=region, code=code,
                                              country=country)
            adr.type_param = kind.upper()
        for kind, number in c["tel"]:
            tel = card.add("tel")
            tel.value = number
            tel.type_param = kind.upper()
        for address in c["email"]:
            email = card.add("email")
            email.value = address
            email.type_param = "INTERNET"
        if c["note"]:
            card.add("note").value = c["note"]
        if c["bday"]:
            card.add("bday").value = c["bday"]
        photo = card.add("photo")
        photo.encoding_param = "b"
        photo.type_param = "JPEG"
        photo.value = bytes(range(256)) * 4
        out.append(card.serialize())
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(out))


def read(path):
    with open(path, encoding="utf-8") as f:
        for card in vobject.readComponents(f.read()):
            n = card.n.value
            line = ["|".join([n.family, n.given, n.additional, n.prefix])]
            adrs = card.contents.get("adr", [])
            if adrs:
                a = adrs[0].value
                line.append("|".join([a.street, a.extended, a.city, a.region, a.code, a.country]))
            else:
                line.append("")
            line.append(",".join(t.value for t in card.contents.get("tel", [])))
            line.append(",".join(e.value for e in card.contents.get("email", [])))
            print("\t".join(line))


{"write": write, "read": read}[sys.argv[1]](sys.argv[2])
