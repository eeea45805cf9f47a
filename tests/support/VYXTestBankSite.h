// A small bank web site served on 127.0.0.1 for the tests of bank scripts:
// a login form, a session cookie set on a redirection, a page of statement
// lines in a table with the balance and a link to the card statement in OFX,
// an error page for a wrong password, and hostile pages (50 MB, one that
// never ends, broken HTML). Everything lives under /banque/.
#ifndef VYX_TESTS_SUPPORT_VYXTESTBANKSITE_H_
#define VYX_TESTS_SUPPORT_VYXTESTBANKSITE_H_

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/VYXTestHttpServer.h"

class VYXTestBankSite {
 public:
  static constexpr const char* kUser = "jean";
  // Blanks, "&", "=", "/" and "+": a value that only full encoding sends whole.
  static constexpr const char* kPassword = "p@ss w/rd&x=1+";

  // What the page of operations is: the real one, or a hostile one.
  enum class Mode { kNormal, kHuge, kEndless, kBroken };

  VYXTestBankSite() {
    auto& s = server_.Server();
    s.Get("/banque/index.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(
          "<html><head><title>Banque d'essai</title></head><body>"
          "<form name=\"connexion\" action=\"login.php\" method=\"post\">"
          "<input type=\"text\" name=\"identifiant\"><input type=\"password\" name=\"motdepasse\">"
          "<input type=\"hidden\" name=\"jeton\" value=\"a/b c\">"
          "<input type=\"checkbox\" name=\"memoriser\" value=\"1\">"
          "<input type=\"submit\" name=\"ok\" value=\"Valider\"></form></body></html>",
          "text/html; charset=utf-8");
    });
    s.Post("/banque/login.php", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      bool ok = req.get_param_value("identifiant") == kUser && req.get_param_value("motdepasse") == kPassword &&
                req.get_param_value("jeton") == "a/b c" && !req.has_param("memoriser");
      if (!ok) {
        res.set_content("<html><body><p class=\"erreur\">Identifiant ou mot de passe incorrect.</p></body></html>",
                        "text/html; charset=utf-8");
        return;
      }
      res.set_header("Set-Cookie", "SID=s123; Path=/banque; HttpOnly");
      res.set_redirect("comptes.html");
    });
    s.Get("/banque/comptes.html", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      if (!LoggedIn(req)) return res.set_redirect("/banque/index.html");
      switch (mode_) {
        case Mode::kHuge: {
          auto sent = std::make_shared<size_t>(0);
          res.set_content_provider("text/html", [sent](size_t, httplib::DataSink& sink) {
            std::string chunk(1 << 20, 'x');
            if (*sent >= 50u << 20) {
              sink.done();
              return true;
            }
            *sent += chunk.size();
            return sink.write(chunk.data(), chunk.size());
          });
          return;
        }
        case Mode::kEndless:
          res.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return !stopping_ && sink.write("<p>", 3);
          });
          return;
        case Mode::kBroken:
          res.set_content("<html><body><table id=oper\x01\xff<tr<td>28/12</t", "text/html");
          return;
        case Mode::kNormal:
          break;
      }
      res.set_content(
          "<html><head><title>Vos comptes</title></head><body><div class=\"cadre\">"
          "<h1>Compte courant n\xc2\xb0 123</h1>"
          "<table id=\"operations\"><tr><th>Date</th><th>Libell\xc3\xa9</th><th>Montant</th><th>Pi\xc3\xa8" "ce</th></tr>"
          "<tr><td>28/12</td><td>CB CARREFOUR 27/12</td><td>-45,20</td><td></td></tr>"
          "<tr><td>02/01</td><td>VIR SALAIRE D\xc3\x89" "CEMBRE</td><td>1 850,00</td><td></td></tr>"
          "<tr><td>03/01</td><td>CHEQUE</td><td>-120,00</td><td>1234567</td></tr>"
          "</table><p>Solde au 03/01/2027 : 2 345,67 EUR</p>"
          "<p><a href=\"releve.ofx?carte=1\">Relev\xc3\xa9 de carte (OFX)</a></p></div></body></html>",
          "text/html; charset=utf-8");
    });
    s.Get("/banque/releve.ofx", [this](const httplib::Request& req, httplib::Response& res) {
      Record(req);
      if (!LoggedIn(req)) return res.set_redirect("/banque/index.html");
      res.set_content(
          "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
          "CHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n"
          "<OFX><CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>"
          "<CCSTMTRS><CURDEF>EUR<CCACCTFROM><ACCTID>4970XXXXXXXX1234</CCACCTFROM>"
          "<BANKTRANLIST><DTSTART>20261201<DTEND>20270103"
          "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20270102<TRNAMT>-12.50<FITID>C1<NAME>BOULANGERIE</STMTTRN>"
          "</BANKTRANLIST></CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\r\n",
          "application/x-ofx");
    });
  }
  ~VYXTestBankSite() { stopping_ = true; }

  std::string Base() const { return server_.Url("/banque"); }
  VYXTestHttpServer& Server() { return server_; }
  void SetMode(Mode mode) { mode_ = mode; }
  // The requests the site received, as "METHOD path | Cookie header | body".
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  static bool LoggedIn(const httplib::Request& req) {
    return req.get_header_value("Cookie").find("SID=\"s123\"") != std::string::npos;
  }
  void Record(const httplib::Request& req) {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(req.method + " " + req.path + " | " + req.get_header_value("Cookie") + " | " + req.body);
  }

  std::atomic<Mode> mode_{Mode::kNormal};
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  VYXTestHttpServer server_;  // last: stopped first, while the handlers' state lives
};

#endif  // VYX_TESTS_SUPPORT_VYXTESTBANKSITE_H_
