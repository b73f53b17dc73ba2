"""Publishers for the client's signature tests, made with openssl into a
folder of the test's own, and the client signed with osslsigncode: a root
authority and an intermediate below it, the publisher's certificate under
each, and another publisher with an authority of its own. Both roots are
trusted in the run's Wine prefix, as a real publisher's root is on Windows:
what tells the publishers apart is the pinned certificate, not the trust."""
import hashlib
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "download"))
from certificates import make_authority, openssl, trust_in_wine_prefix  # noqa: E402

CODE_SIGNING = ["-addext", "extendedKeyUsage=codeSigning", "-addext", "keyUsage=critical,digitalSignature"]
SUB_AUTHORITY = ["-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign"]


def issue(folder, name, subject, authority, extensions):
    """`name`.pem and `name`.key, signed by the authority `authority`."""
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
            "-subj", f"/CN={subject}", *extensions, cwd=folder)
    openssl("ca", "-batch", "-config", f"{authority}.cnf", "-in", f"{name}.csr", "-out", f"{name}.pem", "-notext",
            "-days", "30", cwd=folder)


def thumbprint(pem):
    """SHA-256 of the certificate's DER form, as the installer is built with."""
    der = subprocess.run(["openssl", "x509", "-in", pem, "-outform", "DER"], check=True,
                         stdout=subprocess.PIPE).stdout
    return hashlib.sha256(der).hexdigest()


class Publishers:
    def __init__(self, folder):
        self.folder = folder
        make_authority(folder, "root", "Tavrin publisher root")
        issue(folder, "intermediate", "Tavrin publisher signing authority", "root", SUB_AUTHORITY)
        with open(os.path.join(folder, "intermediate.cnf"), "w") as f, \
                open(os.path.join(folder, "root.cnf")) as root:
            f.write(root.read().replace(os.path.join(folder, "root"), os.path.join(folder, "intermediate")))
        issue(folder, "direct", "Tavrin publisher", "root", CODE_SIGNING)
        issue(folder, "through", "Tavrin publisher", "intermediate", CODE_SIGNING)
        other = os.path.join(folder, "other")
        os.makedirs(other)
        make_authority(other, "root", "Someone else's root")
        issue(other, "someone", "Someone else", "root", CODE_SIGNING)
        for root in (os.path.join(folder, "root"), os.path.join(other, "root")):
            openssl("x509", "-in", f"{root}.pem", "-outform", "DER", "-out", f"{root}.der", cwd=folder)
            trust_in_wine_prefix(f"{root}.der")
        self.pins = {name: thumbprint(os.path.join(folder, f"{name}.pem"))
                     for name in ("root", "intermediate", "direct", "through")}

    def sign(self, client, out, signer="through"):
        """The client signed by `signer` ("direct", "through" or "someone"),
        the certificates up to its root carried in the signature."""
        if signer == "someone":
            base, extra = os.path.join(self.folder, "other", "someone"), []
        else:
            base = os.path.join(self.folder, signer)
            extra = ["-ac", os.path.join(self.folder, "intermediate.pem")] if signer == "through" else []
        if os.path.exists(out):
            os.unlink(out)  # osslsigncode writes no file over another
        subprocess.run(["osslsigncode", "sign", "-certs", f"{base}.pem", "-key", f"{base}.key", *extra,
                        "-h", "sha256", "-n", "Tavrin", "-in", client, "-out", out],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        return out

    def tampered(self, signed, out):
        """The signed file with one byte of its code changed afterwards."""
        shutil.copy(signed, out)
        with open(out, "r+b") as f:
            f.seek(0x600)
            byte = f.read(1)
            f.seek(0x600)
            f.write(bytes([byte[0] ^ 0x01]))
        return out
