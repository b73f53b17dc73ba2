"""Certificates for the HTTPS tests, made with openssl into a folder of the
test's own: an authority the test trusts inside its Wine prefix, and server
certificates from it, good and bad."""
import os
import subprocess

from peers import wine, windows_path

CA_CONFIG = """[ca]
default_ca = test_ca
[test_ca]
dir = {dir}
database = {dir}/index.txt
new_certs_dir = {dir}
serial = {dir}/serial
certificate = {ca}.pem
private_key = {ca}.key
default_md = sha256
policy = any_name
copy_extensions = copy
unique_subject = no
email_in_dn = no
[any_name]
commonName = supplied
"""


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_authority(folder, name, subject="Tavrin test authority"):
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.pem",
            "-days", "30", "-subj", f"/CN={subject}",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            cwd=folder)
    with open(os.path.join(folder, f"{name}.cnf"), "w") as f:
        f.write(CA_CONFIG.format(dir=folder, ca=os.path.join(folder, name)))
    open(os.path.join(folder, "index.txt"), "a").close()
    serial = os.path.join(folder, "serial")
    if not os.path.exists(serial):
        with open(serial, "w") as f:
            f.write("1000\n")


def make_server_certificate(folder, name, authority, host, start=None, end=None):
    """`name`.pem and `name`.key for `host`, signed by `authority`; `start`
    and `end` as YYYYMMDDHHMMSSZ, or valid from now for 30 days."""
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.csr",
            "-subj", f"/CN={host}", "-addext", f"subjectAltName=DNS:{host}",
            "-addext", "extendedKeyUsage=serverAuth", cwd=folder)
    dates = ["-startdate", start, "-enddate", end] if start else ["-days", "30"]
    openssl("ca", "-batch", "-config", f"{authority}.cnf", "-in", f"{name}.csr", "-out", f"{name}.pem", "-notext",
            *dates, cwd=folder)


def make_test_certificates(folder):
    """Paths of the authority (DER, to be trusted) and of each server's
    certificate and key: good, other_host, expired; untrusted, from an
    authority nobody trusts; impostor, from one that took the trusted
    authority's name but not its key."""
    make_authority(folder, "ca")
    make_server_certificate(folder, "good", "ca", "localhost")
    make_server_certificate(folder, "other_host", "ca", "other.tavrin.invalid")
    make_server_certificate(folder, "expired", "ca", "localhost", "20200101000000Z", "20210101000000Z")
    openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=folder)
    paths = {name: (os.path.join(folder, f"{name}.pem"), os.path.join(folder, f"{name}.key"))
             for name in ("good", "other_host", "expired")}
    for name, subject in (("untrusted", "Tavrin stranger authority"), ("impostor", "Tavrin test authority")):
        other = os.path.join(folder, name)
        os.makedirs(other)
        make_authority(other, "ca", subject)
        make_server_certificate(other, name, "ca", "localhost")
        paths[name] = (os.path.join(other, f"{name}.pem"), os.path.join(other, f"{name}.key"))
    paths["authority"] = os.path.join(folder, "ca.der")
    return paths


def trust_in_wine_prefix(authority_der):
    """Adds the authority to the trusted roots of the running Wine session's
    prefix (never the host's), with the trust_root tool of TAVRIN_TRUST_ROOT."""
    trusted = subprocess.run([wine(), os.environ["TAVRIN_TRUST_ROOT"], windows_path(authority_der)],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
    if trusted.returncode != 0:
        raise RuntimeError("the test authority could not be trusted: " + trusted.stderr.decode("utf-8", "replace"))
